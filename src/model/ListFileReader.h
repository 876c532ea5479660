#pragma once

#include "config/LanguageTexts.h"
#include "platform/FileSystem.h"
#include "platform/IoResult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtEndian>

#include <algorithm>
#include <cstring>

// The reading side of the list file (ListFile.h has its layout): checked reads of integers and texts from
// a file image or from a file read in pieces. Kept in a header of its own, whole, so that its small reads
// are inlined into the loaders that call them for every field.

// Names a field in an error message. Kept as the key of its words in the language table and numbers,
// and made into text only when a file turns out to be damaged: building the text for every field would
// cost more than the whole load.
struct ListFileField
{
    const char* key; // in the table's "ListFileParts", with %1 and %2 for the numbers
    qint64 n1 = 0;
    qint64 n2 = 0;

    QString text() const
    {
        QString t = LanguageTexts::shared().text("ListFileParts", key);
        if (t.contains(QLatin1String("%1")))
            t = t.arg(n1);
        if (t.contains(QLatin1String("%2")))
            t = t.arg(n2);
        return t;
    }
};

// Walks a list field by field; every count and length is checked against the bytes that remain before it
// is used, and the first problem is kept with its byte offset. The list is either a file image in memory
// or a file read in pieces of kPiece bytes: only the record being read (and the piece it lies in) needs
// to be in memory, so a large list is built without a copy of its file beside it.
class ListFileReader
{
public:
    static constexpr qsizetype kPiece = qsizetype(1) << 20;

    explicit ListFileReader(QByteArrayView bytes)
        : m_data(bytes.data()), m_size(bytes.size()), m_have(bytes.size())
    {
    }
    explicit ListFileReader(RegularFileReader& file) : m_file(&file), m_size(file.size()) {}

    qsizetype pos() const { return m_pos; }
    qsizetype remaining() const { return m_size - m_pos; }
    // The bytes at pos(); valid for as many bytes as the last successful need() asked for.
    const char* here() const { return m_data + (m_pos - m_base); }
    qsizetype errorAt() const { return m_errorAt; }
    const QString& error() const { return m_error; }
    // A failure of the file itself (not of its content), or success.
    const IoResult& readError() const { return m_readError; }

    // The record being read starts here: its bytes stay in memory until the next mark.
    void markRecord() { m_keep = m_pos; }
    // Rows refer to their bytes in the image being read instead of copying them (the image outlives them).
    bool rowsInPlace = false;
    QByteArray rowBytes(const char* data, qsizetype size) const
    {
        return rowsInPlace ? QByteArray::fromRawData(data, size) : QByteArray(data, size);
    }

    // Bytes from pos() that are in memory now, and a step over n of them.
    qsizetype buffered() const { return m_base + m_have - m_pos; }
    void skip(qsizetype n) { m_pos += n; }
    // The bytes from the mark to pos().
    QByteArrayView marked() const { return QByteArrayView(m_data + (m_keep - m_base), m_pos - m_keep); }

    bool fail(qsizetype at, const QString& reason)
    {
        m_errorAt = at;
        m_error = reason;
        return false;
    }

    // The checks stay small enough to inline; the messages are built out of line, on the rare damaged file.
    bool readInt(qint32& v, const ListFileField& what)
    {
        if (remaining() < 4 || !need(4)) [[unlikely]]
            return failEnd(what, "EndsInside");
        v = qFromLittleEndian<qint32>(here());
        m_pos += 4;
        return true;
    }

    bool readByte(quint8& v, const ListFileField& what)
    {
        if (remaining() < 1 || !need(1)) [[unlikely]]
            return failEnd(what, "EndsBefore");
        v = static_cast<quint8>(*here());
        m_pos += 1;
        return true;
    }

    bool readText(const ListFileField& what)
    {
        if (remaining() < 4 || !need(4)) [[unlikely]]
            return failEnd(what, "EndsInLength");
        const qint32 len = qFromLittleEndian<qint32>(here());
        if (len < 0 || len > remaining() - 4) [[unlikely]]
            return failLength(what, len);
        if (!need(4 + qsizetype(len))) [[unlikely]]
            return failLength(what, len);
        m_pos += 4 + len;
        return true;
    }

    // A stored "count - 1", bounded by the bytes left (each entry takes at least minEntry bytes).
    bool readLastIndex(qint32& count, qsizetype minEntry, const ListFileField& what)
    {
        qint32 last = 0;
        if (!readInt(last, what))
            return false;
        if (last < -1 || qint64(last) + 1 > remaining() / minEntry) [[unlikely]]
            return failCount(what, last);
        count = last + 1;
        return true;
    }

    // True when the file ends where its size said; a file that grew while it was read has more.
    bool atEndOfFile()
    {
        if (!m_file || m_pos < m_base + m_have)
            return m_pos == m_base + m_have;
        char extra;
        const qint64 got = m_file->read(&extra, 1);
        if (got < 0)
            m_readError = m_file->error();
        return got == 0;
    }

private:
    static QString words(const char* key) { return LanguageTexts::shared().text("ListFileParts", key); }

    [[gnu::noinline, gnu::cold]] bool failEnd(const ListFileField& what, const char* key)
    {
        return fail(m_pos, words(key).arg(what.text()));
    }

    [[gnu::noinline, gnu::cold]] bool failLength(const ListFileField& what, qint32 len)
    {
        if (len < 0)
            return fail(m_pos, words("NegativeLength").arg(what.text()).arg(len));
        return fail(m_pos, words("TooLong").arg(what.text()).arg(len).arg(remaining() - 4));
    }

    [[gnu::noinline, gnu::cold]] bool failCount(const ListFileField& what, qint32 last)
    {
        return fail(m_pos - 4, words("CountTooBig").arg(what.text()).arg(last));
    }

    // Makes the n bytes from pos() available; false when the file ends before them (it shrank while being
    // read) or cannot be read.
    bool need(qsizetype n)
    {
        if (m_pos + n <= m_base + m_have) [[likely]]
            return true;
        return refill(n);
    }

    bool refill(qsizetype n)
    {
        if (!m_file || !m_readError)
            return false;
        // Keep the record being read, drop what lies before it, and read on behind it.
        const qsizetype kept = m_base + m_have - m_keep;
        const qsizetype wanted = (m_pos - m_keep) + n;
        // A piece, or the rest of a shorter file: a small list is not given a buffer of a megabyte.
        const qsizetype size = std::max(wanted, std::min(kPiece, m_size - m_keep));
        if (m_buffer.size() < size)
            growBuffer(size, kept);
        else if (m_keep > m_base && kept > 0)
            std::memmove(m_buffer.data(), m_buffer.constData() + (m_keep - m_base), size_t(kept));
        m_data = m_buffer.constData();
        m_base = m_keep;
        m_have = kept;
        // Fill the buffer, but never beyond the size the file had: what follows is checked at the end.
        while (m_have < wanted) {
            const qsizetype room = std::min<qint64>(m_buffer.size() - m_have, m_size - (m_base + m_have));
            const qint64 got = room > 0 ? m_file->read(m_buffer.data() + m_have, room) : 0;
            if (got < 0) {
                m_readError = m_file->error();
                return false;
            }
            if (got == 0) {
                // The file shrank since it was opened: it ends here.
                m_size = m_base + m_have;
                return false;
            }
            m_have += qsizetype(got);
        }
        return true;
    }

    void growBuffer(qsizetype size, qsizetype kept)
    {
        QByteArray bigger(size, Qt::Uninitialized);
        if (kept > 0)
            std::memcpy(bigger.data(), m_data + (m_keep - m_base), size_t(kept));
        m_buffer = std::move(bigger);
    }

    RegularFileReader* m_file = nullptr;
    QByteArray m_buffer;
    const char* m_data = nullptr;
    qsizetype m_size;
    // The buffer holds the bytes from file offset m_base on, m_have of them.
    qsizetype m_base = 0;
    qsizetype m_have = 0;
    qsizetype m_keep = 0;
    qsizetype m_pos = 0;
    qsizetype m_errorAt = 0;
    QString m_error;
    IoResult m_readError;
};
