#include "exchange/CSVRfcReader.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
// Line breaks in body: CR LF, LF and CR each count once.
qsizetype lineBreaks(const char* p, const char* end)
{
    if (!std::memchr(p, '\n', size_t(end - p)) && !std::memchr(p, '\r', size_t(end - p)))
        return 0;
    qsizetype n = 0;
    for (; p < end; ++p) {
        if (*p == '\n')
            ++n;
        else if (*p == '\r' && (p + 1 == end || p[1] != '\n'))
            ++n;
    }
    return n;
}
} // namespace

CSVRfcReader::CSVRfcReader(QByteArrayView text, char separator, bool lastPiece)
    : m_data(text.data()), m_size(text.size()), m_separator(separator), m_last(lastPiece)
{
    for (const char c : {separator, '\r', '\n', '\0'})
        m_stop[static_cast<unsigned char>(c)] = true;
}

QByteArrayView CSVRfcReader::appendDecoded(QByteArrayView body)
{
    if (m_decodedUsed == m_decoded.size())
        m_decoded.emplace_back();
    QByteArray& out = m_decoded[m_decodedUsed++];
    out.resize(body.size());
    char* d = out.data();
    const char* p = body.data();
    const char* const end = p + body.size();
    while (p < end) {
        const char* quote = static_cast<const char*>(std::memchr(p, '"', size_t(end - p)));
        const char* runEnd = quote ? quote + 1 : end;
        std::memcpy(d, p, size_t(runEnd - p));
        d += runEnd - p;
        // The second quote of the pair is dropped.
        p = quote ? quote + 2 : end;
    }
    out.truncate(d - out.constData());
    return QByteArrayView(out.constData(), out.size());
}

qsizetype CSVRfcReader::unquotedEnd(qsizetype p) const
{
    const char* const d = m_data;
#if defined(__SSE2__)
    // Sixteen bytes at a time: an unquoted field is often a long text without any byte of meaning.
    const __m128i separator = _mm_set1_epi8(m_separator);
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i nul = _mm_setzero_si128();
    for (; m_size - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + p));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, separator), _mm_cmpeq_epi8(v, cr)),
                                         _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, nul)));
        if (const int mask = _mm_movemask_epi8(hit))
            return p + std::countr_zero(unsigned(mask));
    }
#endif
    while (p < m_size && !m_stop[static_cast<unsigned char>(d[p])])
        ++p;
    return p;
}

CSVRfcReader::Step CSVRfcReader::next(std::vector<QByteArrayView>& fields)
{
    fields.clear();
    m_decodedUsed = 0;
    if (m_pos >= m_size)
        return Step::End;
    const char* const d = m_data;
    const qsizetype start = m_pos;
    // Line breaks inside the quoted fields of this record so far.
    qsizetype inside = 0;
    m_recordLine = m_lines + 1;
    const auto incomplete = [&] {
        fields.clear();
        m_pos = start;
        return Step::Incomplete;
    };
    const auto fail = [&](Step step, qsizetype line) {
        m_failureLine = line;
        return step;
    };
    qsizetype p = start;
    for (;;) {
        if (p < m_size && d[p] == '"') {
            const qsizetype body = p + 1;
            qsizetype q = body;
            bool doubled = false;
            qsizetype close = -1;
            while (close < 0) {
                const void* hit = q < m_size ? std::memchr(d + q, '"', size_t(m_size - q)) : nullptr;
                if (!hit) {
                    if (!m_last)
                        return incomplete();
                    return fail(Step::Unterminated, m_recordLine + inside);
                }
                const qsizetype h = static_cast<const char*>(hit) - d;
                if (h + 1 == m_size && !m_last)
                    return incomplete(); // the next piece may begin with the second quote of a pair
                if (h + 1 < m_size && d[h + 1] == '"') {
                    doubled = true;
                    q = h + 2;
                    continue;
                }
                close = h;
            }
            const QByteArrayView text(d + body, close - body);
            const qsizetype breaks = lineBreaks(d + body, d + close);
            p = close + 1;
            if (p < m_size && !m_stop[static_cast<unsigned char>(d[p])])
                return fail(Step::StrayQuote, m_recordLine + inside + breaks);
            if (p < m_size && d[p] == '\0')
                return fail(Step::Nul, m_recordLine + inside + breaks);
            inside += breaks;
            fields.push_back(doubled ? appendDecoded(text) : text);
        } else {
            const qsizetype q = unquotedEnd(p);
            if (q < m_size && d[q] == '\0')
                return fail(Step::Nul, m_recordLine + inside);
            // A blank line is a record of no fields.
            if (q > p || !fields.empty() || (q < m_size && d[q] == m_separator))
                fields.emplace_back(d + p, q - p);
            p = q;
        }
        if (p < m_size && d[p] == m_separator) {
            ++p;
            continue;
        }
        if (p >= m_size) {
            if (!m_last)
                return incomplete();
            m_pos = m_size;
            m_lines += inside;
            return Step::Record;
        }
        // CR or LF; a CR at the end of a piece may be the first half of a CR LF.
        if (d[p] == '\r') {
            if (p + 1 == m_size && !m_last)
                return incomplete();
            p += p + 1 < m_size && d[p + 1] == '\n' ? 2 : 1;
        } else {
            ++p;
        }
        m_pos = p;
        m_lines += inside + 1;
        return Step::Record;
    }
}
