#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// One read never asks for more than this, whatever the file claims to hold.
constexpr qint64 kReadStep = qint64(1) << 20;

QString sizeText(qint64 bytes)
{
    if (bytes >= (qint64(1) << 20))
        return QStringLiteral("%1 MiB").arg(double(bytes) / double(qint64(1) << 20), 0, 'f', 1);
    return QStringLiteral("%1 bytes").arg(bytes);
}
} // namespace

IoError IoErrorOf(int error)
{
    switch (error) {
    case 0:
        return IoError::None;
    case ENOENT:
    case ENOTDIR:
        return IoError::NotFound;
    case EACCES:
    case EPERM:
        return IoError::Permission;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return IoError::NoSpace;
    case EROFS:
        return IoError::ReadOnly;
    case EISDIR:
        return IoError::NotRegular;
    default:
        return IoError::Other;
    }
}

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString ShownPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

IoResult ReadRegularFile(const QString& path, qint64 limit, QByteArray& out)
{
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that opening a pipe with no writer does not wait for one.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        return IoResult::failure(
            QStringLiteral("Cannot open file %1: %2").arg(ShownPath(path), SystemReason(error)),
            IoErrorOf(error), SystemReason(error));
    }
    const auto done = [fd](IoResult r) {
        ::close(fd);
        return r;
    };
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        return done(IoResult::failure(
            QStringLiteral("Cannot read file %1: %2").arg(ShownPath(path), SystemReason(error)),
            IoErrorOf(error), SystemReason(error)));
    }
    if (!S_ISREG(st.st_mode)) {
        const QString what = S_ISDIR(st.st_mode)
                                 ? QStringLiteral("it is a folder")
                                 : QStringLiteral("it is not a regular file but a device, pipe or socket");
        return done(IoResult::failure(QStringLiteral("Cannot read %1: %2").arg(ShownPath(path), what),
                                      IoError::NotRegular));
    }
    const auto tooLarge = [&](qint64 size) {
        return done(IoResult::failure(
            QStringLiteral("Cannot read file %1: it is %2 long, more than the %3 the program reads")
                .arg(ShownPath(path), sizeText(size), sizeText(limit)),
            IoError::TooLarge));
    };
    if (st.st_size > limit)
        return tooLarge(st.st_size);

    // One byte more than the size tells a file that grew while being read.
    QByteArray bytes(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype have = 0;
    for (;;) {
        if (have == bytes.size()) {
            if (have > limit)
                return tooLarge(have);
            bytes.resize(qsizetype(std::min<qint64>(have + kReadStep, limit + 1)));
        }
        const qint64 want = std::min<qint64>(kReadStep, bytes.size() - have);
        const ssize_t got = ::read(fd, bytes.data() + have, size_t(want));
        if (got < 0) {
            const int error = errno;
            if (error == EINTR)
                continue;
            return done(IoResult::failure(
                QStringLiteral("Cannot read file %1: %2").arg(ShownPath(path), SystemReason(error)),
                IoErrorOf(error), SystemReason(error)));
        }
        if (got == 0)
            break;
        have += got;
    }
    bytes.truncate(have);
    out = std::move(bytes);
    return done(IoResult::success());
}

IoResult EnsureFolderOf(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo(folder).isDir())
        return IoResult::success();
    if (::mkdir(QFile::encodeName(folder).constData(), 0777) == 0)
        return IoResult::success();
    const int error = errno;
    if (error == EEXIST && QFileInfo(folder).isDir())
        return IoResult::success();
    return IoResult::failure(
        QStringLiteral("Could not create the folder %1: %2").arg(ShownPath(folder), SystemReason(error)),
        IoErrorOf(error), SystemReason(error));
}

IoResult EnsureIniFile(const QString& path)
{
    if (IoResult r = EnsureFolderOf(path); !r)
        return r;
    if (QFileInfo::exists(path))
        return IoResult::success();
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        if (error == EEXIST)
            return IoResult::success();
        return IoResult::failure(
            QStringLiteral("Could not create %1: %2").arg(ShownPath(path), SystemReason(error)),
            IoErrorOf(error), SystemReason(error));
    }
    ::close(fd);
    return IoResult::success();
}
