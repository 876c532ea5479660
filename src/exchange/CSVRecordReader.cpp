#include "exchange/CSVRecordReader.h"

#include "exchange/CSVFieldScan.h"

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

quint64 CSVRecordReader::specialBits(qsizetype base) const
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

void CSVRecordReader::seek(qsizetype pos)
{
    m_blockBase = pos & ~qsizetype(63);
    m_bits = m_blockBase < m_size ? specialBits(m_blockBase) & (~quint64(0) << (pos & 63)) : 0;
}

void CSVRecordReader::endLine(qsizetype e)
{
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

bool CSVRecordReader::continueField(qsizetype body, qsizetype e, bool doubled,
                                    std::vector<QByteArrayView>& fields, qsizetype& p)
{
    if (e >= m_size || m_data[e] == '\0')
        return false;
    const qsizetype next = e + (m_data[e] == '\r' && e + 1 < m_size && m_data[e + 1] == '\n' ? 2 : 1);
    qsizetype& none = m_noSeparatorFrom[doubled ? 1 : 0];
    if (next >= m_size || (none >= 0 && next >= none))
        return false;
    // A separator holds no line break, so its first occurrence in the raw text lies within one line;
    // it counts only when no NUL ends the text before it.
    const QByteArrayView separator = doubled ? csvscan::kDoubleQuoted : csvscan::kQuoted;
    const qsizetype hit = csvscan::find(QByteArrayView(m_data + next, m_size - next), separator);
    if (hit < 0 || std::memchr(m_data + next, '\0', hit)) {
        none = next;
        return false;
    }
    const qsizetype target = next + hit;

    if (m_joinedUsed == m_joined.size())
        m_joined.emplace_back();
    QByteArray& joined = m_joined[m_joinedUsed++];
    joined.resize(0);
    joined.append(m_data + body, e - body);
    endLine(e);
    for (;;) {
        const qsizetype start = m_pos;
        ++m_line;
        joined.append("\r\n", 2);
        qsizetype s = peek();
        while (s < target && !endsLine(s)) {
            pop();
            s = peek();
        }
        if (s >= target) {
            joined.append(m_data + start, target - start);
            break;
        }
        joined.append(m_data + start, s - start);
        endLine(s);
    }
    fields.emplace_back(joined.constData(), joined.size());
    p = target + separator.size();
    seek(p);
    return true;
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
        qsizetype firstQuote = -1;
        bool closed = false;
        for (s = peek(); !endsLine(s); s = peek()) {
            pop();
            if (text[s] != '"')
                continue;
            if (firstQuote < 0)
                firstQuote = s;
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
        if (continueField(body, s, doubled, fields, p))
            continue;
        // Unclosed: the rest of the line, cut before its first quote.
        fields.emplace_back(text + body, (firstQuote >= 0 ? firstQuote : s) - body);
        endLine(s);
        return;
    }
}

bool CSVRecordReader::next(std::vector<QByteArrayView>& fields)
{
    fields.clear();
    m_joinedUsed = 0;
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
        readRecord(start, fields);
        return true;
    }
}
