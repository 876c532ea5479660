#include "platform/InstanceLock.h"

#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <cerrno>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char* roleName(InstanceLock::Role role)
{
    return role == InstanceLock::Role::Window ? "window" : "command-line";
}

bool sameFile(int fd, const QByteArray& path)
{
    struct stat open
    {
    };
    struct stat named
    {
    };
    return ::fstat(fd, &open) == 0 && ::lstat(path.constData(), &named) == 0 && S_ISREG(open.st_mode) &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}
} // namespace

InstanceLock::InstanceLock(const QString& dataFolder, Role role)
    : m_folder(dataFolder), m_path(lockFilePath(dataFolder)), m_role(role)
{
}

InstanceLock::~InstanceLock()
{
    unlock();
}

int InstanceLock::attempt()
{
    const QByteArray name = QFile::encodeName(m_path);
    // Never through a link: the holder's line written below would land in whatever file a link planted
    // here names. A link is removed and a fresh file of our own made in its place.
    int fd =
        ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0 && errno == ELOOP) {
        struct stat st
        {
        };
        if (::lstat(name.constData(), &st) == 0 && S_ISLNK(st.st_mode))
            ::unlink(name.constData());
        fd = ::open(name.constData(),
                    O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0600);
        // Someone else made the file first: take turns with them as with any holder.
        if (fd < 0 && errno == EEXIST)
            return 0;
    }
    if (fd < 0) {
        m_error = SystemFailure(IoStep::Lock, m_path, errno);
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK || error == EINTR)
            return 0;
        m_error = SystemFailure(IoStep::Lock, m_path, error);
        return -1;
    }
    // The holder before us may have removed the file between our open and our flock: then we hold a lock
    // on a file nobody else will see, and must start again on the one that is there now.
    if (!sameFile(fd, name)) {
        ::close(fd);
        return 0;
    }
    const QByteArray info =
        QByteArray::number(QCoreApplication::applicationPid()) + '\n' + roleName(m_role) + '\n';
    // The holder's name is only for messages: a full disk does not stop the lock from working.
    if (::ftruncate(fd, 0) == 0)
        (void)!::pwrite(fd, info.constData(), size_t(info.size()), 0);
    m_fd = fd;
    m_error = IoResult::success();
    return 1;
}

bool InstanceLock::tryLock(int waitMs)
{
    if (m_fd >= 0)
        return true;
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        const int r = attempt();
        if (r > 0)
            return true;
        if (r < 0)
            return false;
        if (deadline.hasExpired())
            break;
        QThread::msleep(50);
    }
    const Holder h = holder(m_folder);
    m_error = IoResult::failed(IoStep::Lock, m_folder, IoError::Busy);
    if (h.roleKnown)
        m_error.holder = h.role == Role::CommandLine ? IoHolder::CommandLine : IoHolder::Window;
    m_error.holderPid = h.pid > 0 ? h.pid : 0;
    return false;
}

void InstanceLock::unlock()
{
    if (m_fd < 0)
        return;
    // Removed while still held, so nobody takes over a file that is about to go; a waiting process that
    // opened it already sees that it is gone and opens the new one.
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
    m_fd = -1;
}

bool InstanceLock::isLocked() const
{
    return m_fd >= 0;
}

QString InstanceLock::lockFilePath(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("quillmar.lock"));
}

InstanceLock::Holder InstanceLock::holder(const QString& dataFolder)
{
    Holder h;
    const QByteArray name = QFile::encodeName(lockFilePath(dataFolder));
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0)
        return h;
    // A lock nobody holds any more is free, whatever its file says.
    if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
        ::flock(fd, LOCK_UN);
        ::close(fd);
        return h;
    }
    h.held = true;
    char buffer[64] = {};
    const ssize_t n = ::pread(fd, buffer, sizeof buffer - 1, 0);
    ::close(fd);
    if (n <= 0)
        return h;
    const QList<QByteArray> lines = QByteArray(buffer, int(n)).split('\n');
    bool ok = false;
    const qint64 pid = lines.value(0).toLongLong(&ok);
    if (ok && pid > 0)
        h.pid = pid;
    if (lines.value(1) == "window" || lines.value(1) == "command-line") {
        h.roleKnown = true;
        h.role = lines.value(1) == "window" ? Role::Window : Role::CommandLine;
    }
    return h;
}

qint64 InstanceLock::holderPid(const QString& dataFolder)
{
    return holder(dataFolder).pid;
}
