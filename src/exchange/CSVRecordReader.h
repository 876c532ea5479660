#pragma once

#include <QByteArrayList>
#include <QByteArrayView>

#include <array>
#include <vector>

// Reads the records of a whole CSV text, one line at a time. Lines end at CR LF, a lone LF or a lone CR;
// a line break at the very end starts no further line, and a NUL ends the text. Empty lines yield no
// field and are skipped.
//
// A quoted or double-quoted field whose closing separator is not on its line goes on over the following
// lines, joined with CR LF, up to the first closing separator; the record then continues on that line.
// When the text ends first, the field is cut as on a single line and the next line is a record again.
class CSVRecordReader
{
public:
    explicit CSVRecordReader(QByteArrayView text);

    // Fills fields with the next record; false at the end of the text. The views stay valid until the
    // next call or until the reader or its text goes away.
    bool next(std::vector<QByteArrayView>& fields);
    // 1-based number of the line on which the record last read begins.
    qsizetype lineNumber() const { return m_recordLine; }

private:
    // The next line as [start, end) of m_text; false at the end of the text.
    bool nextLine(qsizetype& start, qsizetype& end);
    // First position in [from, limit) whose bit is set in the given mask, or -1.
    struct BlockMasks
    {
        qsizetype block = -1;
        quint64 commas = 0;
        quint64 quotes = 0;
        quint64 breaks = 0; // CR or LF
    };
    // Where the commas, quotes and line breaks of one 64-byte block of the text are: bit i for byte
    // 64 * block + i.
    const BlockMasks& masks(qsizetype block);
    void loadMasks(BlockMasks& m, qsizetype block);
    template <quint64 BlockMasks::*Mask> qsizetype find(qsizetype from, qsizetype limit);
    // First position at or after from where separator lies wholly before limit, or -1.
    qsizetype findSeparator(qsizetype from, qsizetype limit, QByteArrayView separator);
    // Reads a line that holds no quote.
    void readPlainLine(qsizetype start, qsizetype lineEnd, std::vector<QByteArrayView>& fields);
    // The field that starts at body goes on over the next lines; appends it and moves p and lineEnd to
    // the line that closes it. False (and nothing consumed) when no later line closes it.
    bool continueField(QByteArrayView body, QByteArrayView separator, std::vector<QByteArrayView>& fields,
                       qsizetype& p, qsizetype& lineEnd);

    QByteArrayView m_text;
    qsizetype m_pos = 0;
    qsizetype m_line = 0;
    qsizetype m_recordLine = 0;
    QByteArrayList m_joined;
    std::array<BlockMasks, 8> m_blocks;
};
