#include "platform/AtomicFile.h"

#include "platform/CrashPoint.h"
#include "platform/FileSystem.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool writeAll(int fd, QByteArrayView bytes, int& error)
{
    const char* p = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// The process's file creation mask, read without changing it (umask() would, for every thread): another
// program's new files get 0666 less it, so ours do too. Unknown, a file stays the user's alone.
mode_t creationMask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(mask & 0777);
            }
        }
    }
    return 077;
}

// Creates a new file beside target, readable by the user alone until open() gives it the mode of the file
// it replaces, or of a new file of the user's. Its name carries our process id, by which RemoveCrashLeftovers
// tells a crashed save's file from one still being written. Sets temp to its name.
int createTemp(const QFileInfo& target, QByteArray& temp)
{
    for (int attempt = 0;; ++attempt) {
        temp = QFile::encodeName(target.absolutePath() + QLatin1String("/.") + target.fileName() +
                                 QLatin1Char('.') + QString::number(::getpid()) + QLatin1Char('.') +
                                 QString::number(QRandomGenerator::global()->generate(), 36) +
                                 AtomicFile::tempSuffix());
        const int fd =
            ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0600);
        if (fd >= 0 || errno != EEXIST || attempt == 100)
            return fd;
    }
}
} // namespace

AtomicFile::AtomicFile(const QString& path, Ownership ownership)
    : m_path(path), m_target(path), m_ownership(ownership)
{
}

QString AtomicFile::tempSuffix()
{
    return QStringLiteral(".quillmar-tmp");
}

AtomicFile::~AtomicFile()
{
    cancel();
}

IoResult AtomicFile::fail(IoStep step, int error)
{
    cancel();
    return SystemFailure(step, m_path, error);
}

IoResult AtomicFile::open()
{
    cancel();
    m_writeError = 0;
    if (m_path.isEmpty())
        return IoResult::failed(IoStep::Create, m_path, IoError::NotFound);
    // A user's link is followed: the file it names is replaced and the link stays a link. A link in the
    // program's place is looked at as itself, so the rename replaces it.
    const QFileInfo info(m_path);
    const bool followLink = m_ownership == Ownership::UserFile;
    if (followLink && info.isSymLink() && !info.canonicalFilePath().isEmpty())
        m_target = info.canonicalFilePath();
    else
        m_target = info.absoluteFilePath();

    bool replacing = false;
    mode_t mode = 0;
    struct stat st
    {
    };
    const QByteArray target = QFile::encodeName(m_target);
    const int found = followLink ? ::stat(target.constData(), &st) : ::lstat(target.constData(), &st);
    const int statError = errno;
    if (found == 0 && !S_ISLNK(st.st_mode)) {
        if (!S_ISREG(st.st_mode)) {
            IoResult r = IoResult::failed(IoStep::Write, m_path, IoError::NotRegular);
            r.folder = S_ISDIR(st.st_mode);
            return r;
        }
        mode = st.st_mode & 07777;
        replacing = true;
    } else if (found != 0 && statError != ENOENT) {
        return fail(IoStep::Create, statError);
    }

    // What killed saves left in this folder goes now: an export's folder has no other clean-up.
    RemoveCrashLeftoversBeside(m_target);
    QByteArray temp;
    const int fd = createTemp(QFileInfo(m_target), temp);
    if (fd < 0)
        return fail(IoStep::Create, errno);
    m_fd = fd;
    m_temp = temp;
    CrashPoint::reach("temporary file created");
    // A replaced file keeps its owner where the system allows it, and its permissions. A new file the user
    // named (a list, an export for a web server or a spreadsheet) is made as any program makes one; the
    // program's own files stay the user's alone.
    if (replacing) {
        (void)!::fchown(fd, st.st_uid, st.st_gid);
    } else if (m_ownership == Ownership::UserFile) {
        mode = 0666 & ~creationMask();
    }
    if ((replacing || m_ownership == Ownership::UserFile) && ::fchmod(fd, mode) != 0)
        return fail(IoStep::Create, errno);
    return IoResult::success();
}

bool AtomicFile::write(QByteArrayView bytes)
{
    if (m_fd < 0 || m_writeError != 0)
        return false;
    return writeAll(m_fd, bytes, m_writeError);
}

IoResult AtomicFile::commit(const BeforeReplace& beforeReplace)
{
    if (m_fd < 0)
        return IoResult::failed(IoStep::Write, m_path, IoError::Other);
    if (m_writeError != 0)
        return fail(IoStep::Write, m_writeError);
    CrashPoint::reach("temporary file written");
    if (CrashPoint::syncEnabled() && ::fsync(m_fd) != 0)
        return fail(IoStep::Write, errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(m_temp.constData());
        m_temp.clear();
        return fail(IoStep::Write, error);
    }
    CrashPoint::reach("temporary file synced");
    if (beforeReplace) {
        // The rename keeps the file (device, inode), its size and its modification time.
        if (IoResult r = beforeReplace(FileStamp::of(QFile::decodeName(m_temp))); !r) {
            ::unlink(m_temp.constData());
            m_temp.clear();
            return r;
        }
    }
    if (::rename(m_temp.constData(), QFile::encodeName(m_target).constData()) != 0) {
        const int error = errno;
        ::unlink(m_temp.constData());
        m_temp.clear();
        return fail(IoStep::Replace, error);
    }
    m_temp.clear();
    CrashPoint::reach("file replaced");
    // The rename itself reaches the disk only with its folder.
    const QByteArray folder = QFile::encodeName(QFileInfo(m_target).absolutePath());
    if (!CrashPoint::syncEnabled())
        return IoResult::success();
    if (const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return IoResult::success();
}

void AtomicFile::cancel()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    // A crash leaves its temporary file behind; only a live writer cleans up after itself.
    if (!m_temp.isEmpty() && !CrashPoint::crashing()) {
        ::unlink(m_temp.constData());
        m_temp.clear();
    }
}

IoResult AtomicFile::save(const QString& path, QByteArrayView bytes, Ownership ownership,
                          const BeforeReplace& beforeReplace)
{
    AtomicFile file(path, ownership);
    if (IoResult r = file.open(); !r)
        return r;
    file.write(bytes);
    return file.commit(beforeReplace);
}

IoResult WriteStandardOutput(QByteArrayView bytes)
{
    int error = 0;
    if (!writeAll(STDOUT_FILENO, bytes, error))
        return SystemFailure(IoStep::Output, QStringLiteral("-"), error);
    return IoResult::success();
}
