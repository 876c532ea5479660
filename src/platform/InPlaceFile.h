#pragma once

#include "platform/IoResult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// A file of the program's data folder changed where it lies, for formats that grow at their end: bytes
// written at an offset, the file cut back to a size. Only a regular file is opened, never through a link
// (a link is refused: such a file is written whole through AtomicFile instead). A change is on the disk
// once sync() returned. Errors name the file and the system's reason.
class InPlaceFile
{
public:
    explicit InPlaceFile(const QString& path);
    ~InPlaceFile();
    InPlaceFile(const InPlaceFile&) = delete;
    InPlaceFile& operator=(const InPlaceFile&) = delete;

    IoResult open();
    qint64 size() const { return m_size; }
    IoResult read(qint64 offset, qint64 length, QByteArray& out);
    IoResult write(qint64 offset, QByteArrayView bytes);
    IoResult truncate(qint64 size);
    IoResult sync();

private:
    IoResult fail(IoStep step, int error) const;

    QString m_path;
    int m_fd = -1;
    qint64 m_size = 0;
};
