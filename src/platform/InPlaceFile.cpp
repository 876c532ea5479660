#include "platform/InPlaceFile.h"

#include "platform/CrashPoint.h"
#include "platform/FileSystem.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

InPlaceFile::InPlaceFile(const QString& path) : m_path(path) {}

InPlaceFile::~InPlaceFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

IoResult InPlaceFile::fail(IoStep step, int error) const
{
    return SystemFailure(step, m_path, error);
}

IoResult InPlaceFile::open()
{
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (m_fd < 0)
        return fail(IoStep::Open, errno);
    struct stat st = {};
    if (::fstat(m_fd, &st) != 0)
        return fail(IoStep::Read, errno);
    if (!S_ISREG(st.st_mode))
        return IoResult::failed(IoStep::Write, m_path, IoError::NotRegular);
    m_size = st.st_size;
    return IoResult::success();
}

IoResult InPlaceFile::read(qint64 offset, qint64 length, QByteArray& out)
{
    out.resize(length);
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::pread(m_fd, out.data() + done, size_t(length - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(IoStep::Read, n < 0 ? errno : EIO);
        done += n;
    }
    return IoResult::success();
}

IoResult InPlaceFile::write(qint64 offset, QByteArrayView bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(m_fd, bytes.data() + done, size_t(bytes.size() - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(IoStep::Write, n < 0 ? errno : EIO);
        done += n;
    }
    m_size = std::max(m_size, offset + bytes.size());
    return IoResult::success();
}

IoResult InPlaceFile::truncate(qint64 size)
{
    if (::ftruncate(m_fd, size) != 0)
        return fail(IoStep::Write, errno);
    m_size = size;
    return IoResult::success();
}

IoResult InPlaceFile::sync()
{
    if (CrashPoint::syncEnabled() && ::fsync(m_fd) != 0)
        return fail(IoStep::Write, errno);
    return IoResult::success();
}
