#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <vector>

// Reads the records of CSV text as RFC 4180 has them, which is what spreadsheets and scripts write: fields
// between separators, a field that begins with a quote runs to the quote that closes it (separators and
// line breaks inside are text, a doubled quote is one quote), and a record ends at CR LF, LF or CR outside
// quotes. A quote inside an unquoted field is text, as spreadsheets read it.
//
// The text may be a piece of a longer one: unless it is the last piece, a record that reaches its end is
// not read but reported Incomplete, and position() says where the caller's next piece must begin.
class CSVRfcReader
{
public:
    enum class Step
    {
        Record,
        // Nothing more in this text (nothing pending either).
        End,
        // The record at position() needs more text than this piece holds.
        Incomplete,
        // A quoted field runs to the end of the last piece: where its text ends is not known.
        Unterminated,
        // A closing quote is followed by something other than a separator or a line end.
        StrayQuote,
        // A NUL byte outside quotes: no text file holds one.
        Nul,
    };

    CSVRfcReader(QByteArrayView text, char separator, bool lastPiece);

    // Fills fields with the next record; a blank line is a record without fields. The views stay valid
    // until the next call.
    Step next(std::vector<QByteArrayView>& fields);
    // Where the next record begins (the incomplete one, after Incomplete).
    qsizetype position() const { return m_pos; }
    // Line breaks read up to position(), those inside quoted fields included.
    qsizetype linesRead() const { return m_lines; }
    // 1-based line on which the record last read begins.
    qsizetype recordLine() const { return m_recordLine; }
    // 1-based line of the failure that next() reported.
    qsizetype failureLine() const { return m_failureLine; }

private:
    QByteArrayView appendDecoded(QByteArrayView body);
    // Where the unquoted field that begins at p ends: at the separator, CR, LF, NUL or the end.
    qsizetype unquotedEnd(qsizetype p) const;

    const char* m_data;
    qsizetype m_size;
    char m_separator;
    bool m_last;
    qsizetype m_pos = 0;
    qsizetype m_lines = 0;
    qsizetype m_recordLine = 0;
    qsizetype m_failureLine = 0;
    // Bytes that end an unquoted field: the separator, CR, LF and NUL.
    std::array<bool, 256> m_stop{};
    // Texts of quoted fields with doubled quotes; reused from record to record.
    std::vector<QByteArray> m_decoded;
    size_t m_decodedUsed = 0;
};
