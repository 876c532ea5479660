#include "exchange/CSVRecordReader.h"

#include "exchange/CSVFieldScan.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

CSVRecordReader::CSVRecordReader(QByteArrayView text)
{
    const void* nul = text.isEmpty() ? nullptr : std::memchr(text.data(), '\0', text.size());
    m_text = nul ? text.first(static_cast<const char*>(nul) - text.data()) : text;
}

void CSVRecordReader::loadMasks(BlockMasks& m, qsizetype block)
{
    // Fields are short: finding their ends through bit masks of a whole block at a time costs a few
    // instructions per field instead of a search call each.
    const qsizetype offset = block * 64;
    const char* p = m_text.data() + offset;
    const qsizetype n = std::min<qsizetype>(64, m_text.size() - offset);
    m = BlockMasks();
    m.block = block;
#if defined(__SSE2__)
    if (n == 64) {
        const __m128i comma = _mm_set1_epi8(',');
        const __m128i quote = _mm_set1_epi8('"');
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i lf = _mm_set1_epi8('\n');
        for (int i = 0; i < 4; ++i) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
            const int shift = 16 * i;
            m.commas |= quint64(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, comma)))) << shift;
            m.quotes |= quint64(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, quote)))) << shift;
            const __m128i breaks = _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf));
            m.breaks |= quint64(unsigned(_mm_movemask_epi8(breaks))) << shift;
        }
        return;
    }
#endif
    for (qsizetype i = 0; i < n; ++i) {
        m.commas |= quint64(p[i] == ',') << i;
        m.quotes |= quint64(p[i] == '"') << i;
        m.breaks |= quint64(p[i] == '\r' || p[i] == '\n') << i;
    }
}

inline const CSVRecordReader::BlockMasks& CSVRecordReader::masks(qsizetype block)
{
    // A line is found first and then read field by field, so the last few blocks are kept.
    BlockMasks& m = m_blocks[static_cast<size_t>(block) & (m_blocks.size() - 1)];
    if (m.block != block)
        loadMasks(m, block);
    return m;
}

template <quint64 CSVRecordReader::BlockMasks::*Mask>
inline qsizetype CSVRecordReader::find(qsizetype from, qsizetype limit)
{
    while (from < limit) {
        const qsizetype block = from >> 6;
        const quint64 bits = masks(block).*Mask >> (from & 63);
        if (bits) {
            const qsizetype hit = from + std::countr_zero(bits);
            return hit < limit ? hit : -1;
        }
        from = (block + 1) << 6;
    }
    return -1;
}

inline qsizetype CSVRecordReader::findSeparator(qsizetype from, qsizetype limit, QByteArrayView separator)
{
    const char* text = m_text.data();
    if (separator.size() == 1)
        return find<&BlockMasks::commas>(from, limit);
    // A quote directly followed by the rest of the separator, all of it before limit.
    const qsizetype lastStart = limit - separator.size();
    for (;;) {
        const qsizetype k = find<&BlockMasks::quotes>(from, lastStart + 1);
        if (k < 0)
            return -1;
        if (text[k + 1] == separator[1] && (separator.size() == 2 || text[k + 2] == separator[2]))
            return k;
        from = k + 1;
    }
}

bool CSVRecordReader::nextLine(qsizetype& start, qsizetype& end)
{
    if (m_pos >= m_text.size())
        return false;
    start = m_pos;
    end = find<&BlockMasks::breaks>(m_pos, m_text.size());
    if (end < 0)
        end = m_text.size();
    m_pos = end;
    if (end < m_text.size())
        m_pos += (m_text[end] == '\r' && end + 1 < m_text.size() && m_text[end + 1] == '\n') ? 2 : 1;
    ++m_line;
    return true;
}

bool CSVRecordReader::continueField(QByteArrayView body, QByteArrayView separator,
                                    std::vector<QByteArrayView>& fields, qsizetype& p, qsizetype& lineEnd)
{
    // A separator holds no line break, so its first occurrence in the raw text lies within one line.
    const qsizetype hit = m_pos < m_text.size() ? csvscan::find(m_text.sliced(m_pos), separator) : -1;
    if (hit < 0)
        return false;
    const qsizetype target = m_pos + hit;
    QByteArray joined(body.data(), body.size());
    qsizetype start = 0;
    qsizetype end = 0;
    while (nextLine(start, end)) {
        joined.append("\r\n", 2);
        if (target < end) {
            joined.append(m_text.data() + start, target - start);
            p = target + separator.size();
            lineEnd = end;
            break;
        }
        joined.append(m_text.data() + start, end - start);
    }
    m_joined.append(joined);
    fields.push_back(QByteArrayView(m_joined.constLast()));
    return true;
}

void CSVRecordReader::readPlainLine(qsizetype start, qsizetype lineEnd, std::vector<QByteArrayView>& fields)
{
    // Without quotes every field is plain and ends at the next comma: the fields are the gaps between
    // the comma bits of the line's blocks.
    const char* text = m_text.data();
    qsizetype p = start;
    for (qsizetype block = start >> 6;; ++block) {
        const qsizetype base = block << 6;
        quint64 bits = masks(block).commas;
        if (base < p)
            bits &= ~quint64(0) << (p - base);
        if (lineEnd - base < 64)
            bits &= (quint64(1) << (lineEnd - base)) - 1;
        for (; bits; bits &= bits - 1) {
            const qsizetype k = base + std::countr_zero(bits);
            fields.emplace_back(text + p, k - p);
            p = k + 1;
        }
        if (base + 64 >= lineEnd)
            break;
    }
    if (p < lineEnd)
        fields.emplace_back(text + p, lineEnd - p);
}

bool CSVRecordReader::next(std::vector<QByteArrayView>& fields)
{
    fields.clear();
    m_joined.clear();
    const char* text = m_text.data();
    qsizetype start = 0;
    qsizetype lineEnd = 0;
    while (nextLine(start, lineEnd)) {
        if (start == lineEnd)
            continue;
        m_recordLine = m_line;
        if (find<&BlockMasks::quotes>(start, lineEnd) < 0) {
            readPlainLine(start, lineEnd, fields);
            return true;
        }
        qsizetype p = start;
        while (p < lineEnd) {
            // The form of a field is told by its first two bytes.
            QByteArrayView separator = csvscan::kPlain;
            if (text[p] == '"')
                separator = p + 1 < lineEnd && text[p + 1] == '"' ? csvscan::kDoubleQuoted : csvscan::kQuoted;
            const qsizetype body = p + separator.size() - 1;
            const qsizetype k = findSeparator(body, lineEnd, separator);
            if (k >= 0) {
                fields.emplace_back(text + body, k - body);
                p = k + separator.size();
                continue;
            }
            const QByteArrayView rest(text + body, lineEnd - body);
            if (separator.size() > 1 && continueField(rest, separator, fields, p, lineEnd))
                continue;
            // Unclosed: the rest of the line, cut before the separator's first byte (a plain field has
            // no comma left, a quoted one is cut before its next quote).
            const qsizetype cut = separator.size() > 1 ? find<&BlockMasks::quotes>(body, lineEnd) : -1;
            fields.emplace_back(text + body, (cut >= 0 ? cut : lineEnd) - body);
            break;
        }
        return true;
    }
    return false;
}
