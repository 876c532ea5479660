#include "exchange/CSVRecordReader.h"

#include "exchange/CSVFieldScan.h"

#include <cstring>

namespace {
// Position of the first CR or LF at or after from, or end.
qsizetype lineEnd(const char* data, qsizetype from, qsizetype end)
{
    for (qsizetype i = from; i < end; ++i) {
        if (data[i] == '\n' || data[i] == '\r')
            return i;
    }
    return end;
}
} // namespace

CSVRecordReader::CSVRecordReader(QByteArrayView text) : m_text(text)
{
    if (const void* nul = text.isEmpty() ? nullptr : std::memchr(text.data(), '\0', text.size()))
        m_text = text.first(static_cast<const char*>(nul) - text.data());
}

bool CSVRecordReader::next(std::vector<QByteArrayView>& fields)
{
    fields.clear();
    m_decodedUsed = 0;
    const char* data = m_text.data();
    const qsizetype size = m_text.size();
    while (m_pos < size) {
        const qsizetype start = m_pos;
        const qsizetype end = lineEnd(data, start, size);
        m_pos = end + (end + 1 < size && data[end] == '\r' && data[end + 1] == '\n' ? 2 : 1);
        ++m_line;
        if (end == start)
            continue;
        m_recordLine = m_line;
        csvscan::scanLine(QByteArrayView(data + start, end - start),
                          [this, &fields](QByteArrayView text, bool escaped) {
                              if (!escaped) {
                                  fields.push_back(text);
                                  return;
                              }
                              if (m_decodedUsed == m_decoded.size())
                                  m_decoded.emplace_back();
                              QByteArray& decoded = m_decoded[m_decodedUsed++];
                              decoded.resize(0);
                              csvscan::unescape(text, decoded);
                              fields.emplace_back(decoded.constData(), decoded.size());
                          });
        return true;
    }
    return false;
}
