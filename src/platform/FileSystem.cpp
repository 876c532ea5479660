#include "platform/FileSystem.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
#include <QThreadPool>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// One read never asks for more than this, whatever the file claims to hold.
constexpr qint64 kReadStep = qint64(1) << 20;
// How long a folder just cleaned of crash leftovers is not read again for them.
constexpr qint64 kLeftoverRescanMs = 5000;
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

IoResult SystemFailure(IoStep step, const QString& path, int error)
{
    IoResult r = IoResult::failed(step, path, IoErrorOf(error), SystemReason(error));
    r.folder = error == EISDIR;
    return r;
}

QString RealPath(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
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
        return SystemFailure(IoStep::Open, path, errno);
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return SystemFailure(IoStep::Read, path, error);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        IoResult r = IoResult::failed(IoStep::Read, path, IoError::NotRegular);
        r.folder = S_ISDIR(st.st_mode);
        return r;
    }
    m_fd = fd;
    m_size = st.st_size;
    m_done = 0;
    if (m_size > limit) {
        m_error = IoResult::tooLarge(IoStep::Read, path, m_size, limit);
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
            m_error = SystemFailure(IoStep::Read, m_path, error);
            return -1;
        }
        m_done += got;
        if (m_done > m_limit) {
            m_error = IoResult::tooLarge(IoStep::Read, m_path, m_done, m_limit);
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
    // The folders the program makes hold lists and settings: the user's alone.
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) == 0)
        return IoResult::success();
    const int error = errno;
    if (error == EEXIST && QFileInfo(folder).isDir())
        return IoResult::success();
    return SystemFailure(IoStep::CreateFolder, folder, error);
}

void RemoveBeside(const QString& path)
{
    const QString gone = path + QStringLiteral(".gone");
    if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(gone).constData()) != 0) {
        QFile::remove(path);
        return;
    }
    QThreadPool::globalInstance()->start([gone] { QFile::remove(gone); });
}

IoResult RemoveFile(const QString& path)
{
    if (::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT)
        return IoResult::success();
    return SystemFailure(IoStep::Remove, path, errno);
}

IoResult EnsureIniFile(const QString& path)
{
    if (IoResult r = EnsureFolderOf(path); !r)
        return r;
    if (QFileInfo::exists(path))
        return IoResult::success();
    // Never through a link: an existing name, link or not, is simply there already.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        const int error = errno;
        if (error == EEXIST)
            return IoResult::success();
        return SystemFailure(IoStep::Create, path, error);
    }
    ::close(fd);
    return IoResult::success();
}

IoResult CreateFolder(const QString& folder)
{
    if (::mkdir(QFile::encodeName(folder).constData(), 0777) == 0 ||
        (errno == EEXIST && QFileInfo(folder).isDir()))
        return IoResult::success();
    return SystemFailure(IoStep::CreateFolder, folder, errno);
}

IoResult EnsurePrivateFolder(const QString& folder)
{
    const QString absolute = QDir::cleanPath(QDir(folder).absolutePath());
    if (QFileInfo(absolute).isDir())
        return IoResult::success();
    // Every level made here is made private, as mkdir -p -m 700 would make only the last one.
    qsizetype from = 1;
    for (;;) {
        const qsizetype slash = absolute.indexOf(QLatin1Char('/'), from);
        const QString level = slash < 0 ? absolute : absolute.left(slash);
        if (::mkdir(QFile::encodeName(level).constData(), 0700) != 0 && errno != EEXIST) {
            return SystemFailure(IoStep::CreateFolder, level, errno);
        }
        if (slash < 0)
            break;
        from = slash + 1;
    }
    if (QFileInfo(absolute).isDir())
        return IoResult::success();
    return SystemFailure(IoStep::CreateFolder, absolute, ENOTDIR);
}

qint64 CrashLeftoverPid(const QString& fileName)
{
    // .<name>.<pid>.<random>.quillmar-tmp, the random part in base 36: nothing else is taken for ours.
    static const QString suffix = QStringLiteral(".quillmar-tmp");
    if (!fileName.startsWith(QLatin1Char('.')) || !fileName.endsWith(suffix))
        return 0;
    static const QRegularExpression pattern(
        QStringLiteral("^\\..+\\.([1-9][0-9]{0,9})\\.[0-9a-z]+\\.quillmar-tmp$"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = pattern.match(fileName);
    return match.hasMatch() ? match.captured(1).toLongLong() : 0;
}

namespace {
// Removes the leftovers in folder; ownedOnly keeps the files of other users.
int removeLeftovers(const QString& folder, bool ownedOnly)
{
    const QByteArray name = QFile::encodeName(folder);
    DIR* dir = ::opendir(name.constData());
    if (!dir)
        return 0;
    int removed = 0;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const qint64 pid = CrashLeftoverPid(QFile::decodeName(entry->d_name));
        if (pid <= 0 || pid == ::getpid())
            continue;
        // Only a writer that is gone: a process that is alive, or that we may not signal, may still be
        // writing the file and renaming it into place. A pid used again since keeps its file too.
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue;
        // A link is not ours whatever its name: it is neither followed nor removed.
        struct stat st
        {
        };
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            (ownedOnly && st.st_uid != ::getuid()))
            continue;
        if (::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}
} // namespace

int RemoveCrashLeftovers(const QString& folder)
{
    return removeLeftovers(folder, false);
}

int RemoveCrashLeftoversBeside(const QString& path)
{
    // A folder export opens a file for every to-do: the folder is read once, not once per file.
    static QMutex mutex;
    static QString lastFolder;
    static QDeadlineTimer nextScan;
    const QString folder = QFileInfo(path).absolutePath();
    {
        const QMutexLocker lock(&mutex);
        if (folder == lastFolder && !nextScan.hasExpired())
            return 0;
        lastFolder = folder;
        nextScan.setRemainingTime(kLeftoverRescanMs);
    }
    return removeLeftovers(folder, true);
}
