#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

// Reads the records of a whole CSV text, one line at a time: every line is one record, and a record never
// reaches into the next line. Lines end at CR LF, a lone LF or a lone CR; a line break at the very end
// starts no further line, and a NUL ends the text. Empty lines yield no field and are skipped. Texts of
// several lines come as escaped fields (CSVconvert.h), which hold no line break of their own.
class CSVRecordReader
{
public:
    explicit CSVRecordReader(QByteArrayView text);

    // Fills fields with the next record; false at the end of the text. The views stay valid until the
    // next call or until the reader or its text goes away.
    bool next(std::vector<QByteArrayView>& fields);
    // 1-based number of the line on which the record last read stands.
    qsizetype lineNumber() const { return m_recordLine; }

private:
    QByteArrayView m_text;
    qsizetype m_pos = 0;
    qsizetype m_line = 0;
    qsizetype m_recordLine = 0;
    // Texts of escaped fields; the buffers are kept and reused from record to record.
    std::vector<QByteArray> m_decoded;
    size_t m_decodedUsed = 0;
};
