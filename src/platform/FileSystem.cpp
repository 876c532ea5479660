#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
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

RegularFileReader::~RegularFileReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

IoResult RegularFileReader::open(const QString& path, qint64 limit)
{
    m_path = path;
    m_limit = limit;
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that opening a pipe with no writer does not wait for one.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        return IoResult::failure(
            QStringLiteral("Cannot open file %1: %2").arg(ShownPath(path), SystemReason(error)),
            IoErrorOf(error), SystemReason(error));
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return IoResult::failure(
            QStringLiteral("Cannot read file %1: %2").arg(ShownPath(path), SystemReason(error)),
            IoErrorOf(error), SystemReason(error));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        const QString what = S_ISDIR(st.st_mode)
                                 ? QStringLiteral("it is a folder")
                                 : QStringLiteral("it is not a regular file but a device, pipe or socket");
        return IoResult::failure(QStringLiteral("Cannot read %1: %2").arg(ShownPath(path), what),
                                 IoError::NotRegular);
    }
    m_fd = fd;
    m_size = st.st_size;
    m_done = 0;
    if (m_size > limit) {
        m_error = IoResult::failure(
            QStringLiteral("Cannot read file %1: it is %2 long, more than the %3 the program reads")
                .arg(ShownPath(path), sizeText(m_size), sizeText(limit)),
            IoError::TooLarge);
        return m_error;
    }
    return IoResult::success();
}

qint64 RegularFileReader::read(char* data, qint64 max)
{
    if (m_fd < 0 || !m_error)
        return -1;
    // One read never asks for more than a step, nor for more than one byte past the limit, which tells a
    // file that grew too large while being read.
    max = std::min({max, kReadStep, m_limit + 1 - m_done});
    for (;;) {
        const ssize_t got = max > 0 ? ::read(m_fd, data, size_t(max)) : 0;
        if (got < 0) {
            const int error = errno;
            if (error == EINTR)
                continue;
            m_error = IoResult::failure(
                QStringLiteral("Cannot read file %1: %2").arg(ShownPath(m_path), SystemReason(error)),
                IoErrorOf(error), SystemReason(error));
            return -1;
        }
        m_done += got;
        if (m_done > m_limit) {
            m_error = IoResult::failure(
                QStringLiteral("Cannot read file %1: it is %2 long, more than the %3 the program reads")
                    .arg(ShownPath(m_path), sizeText(m_done), sizeText(m_limit)),
                IoError::TooLarge);
            return -1;
        }
        return got;
    }
}

IoResult ReadRegularFile(const QString& path, qint64 limit, QByteArray& out)
{
    RegularFileReader file;
    if (IoResult r = file.open(path, limit); !r)
        return r;
    // One byte more than the size tells a file that grew while being read.
    QByteArray bytes(qsizetype(file.size()) + 1, Qt::Uninitialized);
    qsizetype have = 0;
    for (;;) {
        if (have == bytes.size())
            bytes.resize(qsizetype(std::min<qint64>(have + kReadStep, limit + 1)));
        const qint64 got = file.read(bytes.data() + have, bytes.size() - have);
        if (got < 0)
            return file.error();
        if (got == 0)
            break;
        have += got;
    }
    bytes.truncate(have);
    out = std::move(bytes);
    return IoResult::success();
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
