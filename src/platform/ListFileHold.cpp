#include "platform/ListFileHold.h"

#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A folder that only this user can reach: made when missing, refused when it is a link, another
// user's, or open to others.
bool privateFolder(const QString& path, IoResult* error)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = SystemFailure(IoStep::CreateFolder, path, errno);
        return false;
    }
    struct stat st
    {
    };
    if (::lstat(name.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 077) != 0) {
        if (error)
            *error = IoResult::failed(IoStep::PrivateFolder, path, IoError::Permission);
        return false;
    }
    return true;
}
} // namespace

ListFileHold::ListFileHold(const QString& listPath, Role role) : m_listPath(listPath), m_role(role) {}

ListFileHold::~ListFileHold()
{
    release();
}

QString ListFileHold::holdFolder(IoResult* error)
{
    // Every run of this user must find the same folder, whatever its environment: a job started by cron,
    // ssh or a service often has no XDG_RUNTIME_DIR, or another TMPDIR, than the window of the session.
    // So the folder follows from the user alone: the user's runtime folder when the system keeps one,
    // else a private folder in /tmp.
    const uid_t uid = ::getuid();
    const QString runtime = QStringLiteral("/run/user/%1").arg(uid);
    struct stat st
    {
    };
    const bool ownRuntime = ::stat(QFile::encodeName(runtime).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
                            st.st_uid == uid && ::access(QFile::encodeName(runtime).constData(), W_OK) == 0;
    const QString base =
        ownRuntime ? runtime + QStringLiteral("/quillmar") : QStringLiteral("/tmp/quillmar-%1").arg(uid);
    if (!privateFolder(base, error))
        return {};
    const QString holds = base + QStringLiteral("/holds");
    return privateFolder(holds, error) ? holds : QString();
}

int ListFileHold::attempt()
{
    IoResult why;
    const QString folder = holdFolder(&why);
    if (folder.isEmpty()) {
        m_error = why;
        return -1;
    }
    const QByteArray key =
        QCryptographicHash::hash(QFile::encodeName(RealPath(m_listPath)), QCryptographicHash::Sha256).toHex();
    const QByteArray name = QFile::encodeName(folder) + '/' + key.left(40);
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0) {
        m_error = SystemFailure(IoStep::Hold, m_listPath, errno);
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        char buffer[64] = {};
        const ssize_t n = ::pread(fd, buffer, sizeof buffer - 1, 0);
        ::close(fd);
        const QList<QByteArray> lines = QByteArray(buffer, n > 0 ? int(n) : 0).split('\n');
        // A holder that has not written its role yet is a run that just took the hold: wait for it.
        m_byWindow = lines.value(1) == "window";
        m_error = IoResult::failed(IoStep::Hold, m_listPath, IoError::Busy);
        m_error.holder = m_byWindow ? IoHolder::Window : IoHolder::CommandLine;
        m_error.holderPid = qMax(lines.value(0).toLongLong(), qint64(0));
        return 0;
    }
    const QByteArray info = QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                            (m_role == Role::Window ? "window" : "command-line") + '\n';
    if (::ftruncate(fd, 0) == 0)
        (void)!::pwrite(fd, info.constData(), size_t(info.size()), 0);
    m_fd = fd;
    m_error = IoResult::success();
    return 1;
}

bool ListFileHold::tryHold(int waitMs)
{
    if (m_fd >= 0)
        return true;
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        m_byWindow = false;
        const int r = attempt();
        if (r != 0)
            return r > 0;
        if (m_byWindow || deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
}

void ListFileHold::release()
{
    if (m_fd < 0)
        return;
    // The file stays: removing it could let two runs lock two different files of the same name.
    ::close(m_fd);
    m_fd = -1;
}
