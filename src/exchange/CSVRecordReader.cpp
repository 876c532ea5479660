#include "exchange/CSVRecordReader.h"

#include "exchange/CSVFieldScan.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

CSVRecordReader::CSVRecordReader(QByteArrayView text)
    : m_data(text.data()), m_size(text.size()), m_end(text.size())
{
    // The NUL that ends the text is found by the stream as it gets there, not by a pass of its own.
    seek(0);
}

[[gnu::always_inline]] inline quint64 CSVRecordReader::specialBits(qsizetype base) const
{
    // Bit i stands for byte base + i. A record has a comma or quote every few bytes, so one 64-byte
    // block of bits serves several fields and costs a few instructions per field.
    const char* p = m_data + base;
    char tail[64];
    if (m_size - base < 64) {
        // Pad with a byte of no meaning: the stream then simply runs out at m_size.
        std::memset(tail, 'x', sizeof tail);
        std::memcpy(tail, p, m_size - base);
        p = tail;
    }
    quint64 bits = 0;
#if defined(__SSE2__)
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i nul = _mm_setzero_si128();
    for (int i = 0; i < 4; ++i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        const __m128i hit = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(v, comma), _mm_cmpeq_epi8(v, quote)),
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)), _mm_cmpeq_epi8(v, nul)));
        bits |= quint64(unsigned(_mm_movemask_epi8(hit))) << (16 * i);
    }
#else
    for (int i = 0; i < 64; ++i) {
        const char c = p[i];
        bits |= quint64(c == ',' || c == '"' || c == '\r' || c == '\n' || c == '\0') << i;
    }
#endif
    return bits;
}

[[gnu::always_inline]] inline qsizetype CSVRecordReader::peek()
{
    while (m_bits == 0) {
        if (m_blockBase + 64 >= m_size)
            return m_size;
        m_blockBase += 64;
        m_bits = specialBits(m_blockBase);
    }
    return m_blockBase + std::countr_zero(m_bits);
}

void CSVRecordReader::seek(qsizetype pos)
{
    m_blockBase = pos & ~qsizetype(63);
    m_bits = m_blockBase < m_size ? specialBits(m_blockBase) & (~quint64(0) << (pos & 63)) : 0;
}

void CSVRecordReader::endLine(qsizetype e)
{
    m_lineEnd = e;
    if (e >= m_size || m_data[e] == '\0') {
        m_end = e;
        m_pos = e;
        return;
    }
    pop();
    m_pos = e + 1;
    if (m_data[e] == '\r' && e + 1 < m_size && m_data[e + 1] == '\n') {
        peek();
        pop();
        m_pos = e + 2;
    }
}

void CSVRecordReader::readRecord(qsizetype p, std::vector<QByteArrayView>& fields)
{
    const char* text = m_data;
    for (;;) {
        qsizetype s = peek();
        if (s == p && endsLine(s)) {
            endLine(s);
            return;
        }
        // An escaped field is told by its first two bytes and taken only when it is complete.
        if (text[p] == '\\' && p + 1 < m_end && text[p + 1] == '"') {
            const qsizetype close = csvscan::escapedClose(QByteArrayView(text + p, m_end - p));
            if (close >= 0) {
                appendDecoded(QByteArrayView(text + p + 2, close - 2), fields);
                const qsizetype after = p + close + 1;
                seek(after);
                if (after < m_end && text[after] == ',') {
                    peek();
                    pop();
                    p = after + 1;
                    continue;
                }
                endLine(peek());
                return;
            }
        }
        // The form of a field is told by its first two bytes.
        if (text[p] != '"') {
            // Plain: up to the next comma; quotes inside are text.
            while (s < m_size && text[s] == '"') {
                pop();
                s = peek();
            }
            fields.emplace_back(text + p, s - p);
            if (s < m_size && text[s] == ',') {
                pop();
                p = s + 1;
                continue;
            }
            endLine(s);
            return;
        }
        pop();
        const bool doubled = p + 1 < m_size && text[p + 1] == '"';
        if (doubled) {
            peek();
            pop();
        }
        const qsizetype body = p + (doubled ? 2 : 1);
        bool closed = false;
        for (s = peek(); !endsLine(s); s = peek()) {
            pop();
            if (text[s] != '"')
                continue;
            // The closing separator: ", or "", right here.
            const qsizetype comma = s + (doubled ? 2 : 1);
            if (comma < m_size && text[comma] == ',' && (!doubled || text[s + 1] == '"')) {
                for (qsizetype k = s + 1; k <= comma; ++k) {
                    peek();
                    pop();
                }
                fields.emplace_back(text + body, s - body);
                p = comma + 1;
                closed = true;
                break;
            }
        }
        if (closed)
            continue;
        // No closing separator on the line: nothing of the line may be lost.
        const csvscan::Field f =
            csvscan::scanUnclosed(QByteArrayView(text + body, s - body), doubled ? 2 : 1);
        fields.emplace_back(f.text);
        if (f.unclosed && m_unclosedLine == 0)
            m_unclosedLine = m_line;
        if (f.closed) {
            p = body + f.consumed;
            seek(p);
            continue;
        }
        endLine(s);
        return;
    }
}

void CSVRecordReader::readLine(qsizetype p, std::vector<QByteArrayView>& fields)
{
    // Most fields are plain: each ends at a comma, the last at the line end. A quote (a quoted or escaped
    // field, or a quote inside a plain one) leaves the rest of the line, from the start of its field, to
    // readRecord, which reads the fields before it the same way.
    const char* text = m_data;
    for (;;) {
        const qsizetype s = peek();
        const char c = s < m_size ? text[s] : '\0';
        if (c == ',') {
            fields.emplace_back(text + p, s - p);
            pop();
            p = s + 1;
            continue;
        }
        if (c == '"') {
            readRecord(p, fields);
            return;
        }
        // CR, LF, NUL or the end of the text: the line ends, after the field that runs up to it.
        if (s > p)
            fields.emplace_back(text + p, s - p);
        endLine(s);
        return;
    }
}

void CSVRecordReader::appendDecoded(QByteArrayView body, std::vector<QByteArrayView>& fields)
{
    if (m_decodedUsed == m_decoded.size())
        m_decoded.emplace_back();
    QByteArray& decoded = m_decoded[m_decodedUsed++];
    decoded.resize(0);
    csvscan::unescape(body, decoded);
    fields.emplace_back(decoded.constData(), decoded.size());
}

bool CSVRecordReader::next(std::vector<QByteArrayView>& fields)
{
    fields.clear();
    m_decodedUsed = 0;
    for (;;) {
        if (m_pos >= m_end)
            return false;
        const qsizetype start = m_pos;
        const qsizetype s = peek();
        if (s == start && endsLine(s)) {
            if (s >= m_size || m_data[s] == '\0') {
                m_end = s;
                return false;
            }
            ++m_line;
            endLine(s);
            continue;
        }
        ++m_line;
        m_recordLine = m_line;
        m_recordStart = start;
        readLine(start, fields);
        return true;
    }
}
