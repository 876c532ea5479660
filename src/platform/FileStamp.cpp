#include "platform/FileStamp.h"

#include <QFile>
#include <QList>

#include <sys/stat.h>

FileStamp FileStamp::of(const QString& path)
{
    FileStamp s;
    struct stat st
    {
    };
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return s;
    s.exists = true;
    s.regular = S_ISREG(st.st_mode);
    s.device = quint64(st.st_dev);
    s.inode = quint64(st.st_ino);
    s.size = qint64(st.st_size);
    s.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return s;
}

QByteArray FileStamp::toText() const
{
    if (!exists)
        return QByteArrayLiteral("none");
    return QByteArray::number(device) + ' ' + QByteArray::number(inode) + ' ' + QByteArray::number(size) +
           ' ' + QByteArray::number(modifiedNs);
}

FileStamp FileStamp::fromText(const QByteArray& text, bool* known)
{
    FileStamp s;
    const QList<QByteArray> parts = text.trimmed().split(' ');
    bool ok = parts.size() == 4;
    if (ok) {
        bool a = false, b = false, c = false, d = false;
        s.device = parts[0].toULongLong(&a);
        s.inode = parts[1].toULongLong(&b);
        s.size = parts[2].toLongLong(&c);
        s.modifiedNs = parts[3].toLongLong(&d);
        ok = a && b && c && d;
        s.exists = ok;
        s.regular = ok;
    }
    if (!ok)
        s = FileStamp();
    if (known)
        *known = ok || text.trimmed() == "none";
    return s;
}
