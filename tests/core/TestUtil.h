#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Small helpers shared by the window-free tests.
namespace testutil
{
inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray le32(qint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<char>((static_cast<quint32>(v) >> (8 * i)) & 0xFF);
    return b;
}

inline QByteArray textField(const QByteArray& text)
{
    return le32(static_cast<qint32>(text.size())) + text;
}
} // namespace testutil
