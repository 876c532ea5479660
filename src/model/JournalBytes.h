#pragma once

#include "model/HistoryTail.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QtEndian>

// The pieces the history's journals are written in: little-endian numbers and byte strings with their
// length in front, read back only where they lie whole in what is left.
namespace JournalBytes {
inline void putInt32(QByteArray& out, qint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

inline void putInt64(QByteArray& out, qint64 v)
{
    char b[8];
    qToLittleEndian(v, b);
    out.append(b, 8);
}

inline void putBytes(QByteArray& out, QByteArrayView bytes)
{
    putInt32(out, static_cast<qint32>(bytes.size()));
    out.append(bytes.data(), bytes.size());
}

class Reader
{
public:
    explicit Reader(QByteArrayView bytes) : m_bytes(bytes) {}
    bool atEnd() const { return m_at == m_bytes.size(); }
    bool int32(qint32& v)
    {
        if (m_bytes.size() - m_at < 4)
            return false;
        v = qFromLittleEndian<qint32>(m_bytes.data() + m_at);
        m_at += 4;
        return true;
    }
    bool int64(qint64& v)
    {
        if (m_bytes.size() - m_at < 8)
            return false;
        v = qFromLittleEndian<qint64>(m_bytes.data() + m_at);
        m_at += 8;
        return true;
    }
    bool bytes(QByteArray& out)
    {
        qint32 n = 0;
        if (!int32(n) || n < 0 || m_bytes.size() - m_at < n)
            return false;
        out = m_bytes.sliced(m_at, n).toByteArray();
        m_at += n;
        return true;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_at = 0;
};

// The bytes of the journal at path behind its magic; false when there is none, or it is not one (a journal
// names a few moves of a few rows each: anything much larger is not one).
inline bool readJournal(const QString& path, const char (&magic)[4], QByteArray& body)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > (qint64(1) << 30))
        return false;
    body = file.readAll();
    if (!body.startsWith(QByteArrayView(magic, 4)))
        return false;
    body.remove(0, 4);
    return true;
}

// Where the records appended at point start in the history: behind the count of an empty file.
inline qint64 recordsStart(HistoryTail::Point point)
{
    return point.size == 0 ? 4 : point.size;
}
} // namespace JournalBytes
