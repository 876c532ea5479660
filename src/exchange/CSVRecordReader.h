#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

// Reads the records of a whole CSV text, one line at a time: every line is one record, and a record never
// reaches into the next line. Lines end at CR LF, a lone LF or a lone CR; a line break at the very end
// starts no further line, and a NUL ends the text. Empty lines yield no field and are skipped. Texts of
// several lines come as escaped fields (CSVConvert.h), which hold no line break of their own.
class CSVRecordReader
{
public:
    explicit CSVRecordReader(QByteArrayView text);

    // Fills fields with the next record; false at the end of the text. The views stay valid until the
    // next call or until the reader or its text goes away.
    bool next(std::vector<QByteArrayView>& fields);
    // 1-based number of the line on which the record last read begins.
    qsizetype lineNumber() const { return m_recordLine; }
    // The lines read so far, empty ones included; once next() has returned false, the lines of the text.
    qsizetype linesRead() const { return m_line; }
    // Where the text ended: its size, or (once next() has returned false) the offset of the NUL that ended
    // it.
    qsizetype textEnd() const { return m_end; }
    // The first line (1-based) holding a quoted field that nothing on it closes, 0 when none has been read.
    // Such a field reads as the rest of its line; a reader that must not guess refuses the text.
    qsizetype unclosedLine() const { return m_unclosedLine; }
    // The bytes of the line the record last read stands on, without its line end.
    QByteArrayView recordLine() const
    {
        return QByteArrayView(m_data + m_recordStart, m_lineEnd - m_recordStart);
    }

private:
    // The text is read once, as a stream of the bytes that matter to the format (comma, quote, CR, LF,
    // NUL) in order; everything between them is copied or skipped without being looked at.
    // The stream's steps are defined with the reader, where they are inlined into the scan.
    quint64 specialBits(qsizetype base) const;
    // Position of the next byte of the stream not yet consumed; m_size when there is none.
    qsizetype peek();
    // Consumes the byte peek() has just returned.
    void pop() { m_bits &= m_bits - 1; }
    // Restarts the stream at pos.
    void seek(qsizetype pos);
    bool endsLine(qsizetype s) const
    {
        return s >= m_size || m_data[s] == '\r' || m_data[s] == '\n' || m_data[s] == '\0';
    }
    // Consumes the line end at e (the position peek() returned); m_pos moves to the next line, or m_end
    // to e when e ends the text.
    void endLine(qsizetype e);
    // Reads the fields of the record that starts at p through the end of its line.
    void readRecord(qsizetype p, std::vector<QByteArrayView>& fields);
    // The same, first taking plain fields from the stream of special bytes alone; from the first field
    // that holds a quote on, the line is left to readRecord.
    void readLine(qsizetype p, std::vector<QByteArrayView>& fields);
    // Appends the text of an escaped field's body, decoded into a buffer of the reader.
    void appendDecoded(QByteArrayView body, std::vector<QByteArrayView>& fields);

    const char* m_data = nullptr;
    qsizetype m_size = 0;
    // End of the text: m_size, or the first NUL once the stream has met it.
    qsizetype m_end = 0;
    qsizetype m_pos = 0;
    qsizetype m_line = 0;
    qsizetype m_recordLine = 0;
    qsizetype m_recordStart = 0;
    qsizetype m_lineEnd = 0;
    qsizetype m_unclosedLine = 0;
    qsizetype m_blockBase = 0;
    quint64 m_bits = 0;
    // Texts of escaped fields; the buffers are kept and reused from record to record.
    std::vector<QByteArray> m_decoded;
    size_t m_decodedUsed = 0;
};
