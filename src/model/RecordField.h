#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtEndian>

// The two building blocks of the list file: 32-bit signed little-endian integers, and text fields
// (a length, then the raw bytes). Shared by the row buffer and the file routines so both agree exactly.
namespace RecordField {
inline qint32 readInt(const char* p)
{
    return qFromLittleEndian<qint32>(p);
}

inline void appendInt(QByteArray& out, qint32 v)
{
    char buf[4];
    qToLittleEndian<qint32>(v, buf);
    out.append(buf, 4);
}

inline void appendText(QByteArray& out, QByteArrayView text)
{
    appendInt(out, static_cast<qint32>(text.size()));
    out.append(text.data(), text.size());
}
} // namespace RecordField
