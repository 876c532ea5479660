#include "platform/BufferedWriter.h"

#include "platform/FileSystem.h"

#include <cerrno>

#include <poll.h>
#include <unistd.h>

BufferedWriter::BufferedWriter(int fd, const QString& name)
    : m_fd(fd), m_name(name), m_buffer(kCapacity, Qt::Uninitialized)
{
    m_end = m_buffer.data();
    m_limit = m_end + m_buffer.size();
}

BufferedWriter::BufferedWriter(QByteArray* memory) : m_memory(memory), m_buffer(kCapacity, Qt::Uninitialized)
{
    m_end = m_buffer.data();
    m_limit = m_end + m_buffer.size();
}

BufferedWriter::BufferedWriter(std::function<bool(QByteArrayView)> sink, const QString& name)
    : m_name(name), m_sink(std::move(sink)), m_buffer(kCapacity, Qt::Uninitialized)
{
    m_end = m_buffer.data();
    m_limit = m_end + m_buffer.size();
}

BufferedWriter::~BufferedWriter()
{
    finish();
}

void BufferedWriter::writeOut(const char* data, qsizetype size)
{
    if (m_error != 0 || size == 0)
        return;
    if (m_memory) {
        m_memory->append(data, size);
        return;
    }
    if (m_sink) {
        if (!m_sink(QByteArrayView(data, size)))
            m_error = EIO;
        return;
    }
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                // An output left non-blocking by whoever started us: wait until it takes more.
                pollfd p{m_fd, POLLOUT, 0};
                ::poll(&p, 1, -1);
                continue;
            }
            m_error = errno;
            return;
        }
        data += n;
        size -= n;
    }
}

void BufferedWriter::drain(qsizetype n)
{
    writeOut(m_buffer.constData(), m_end - m_buffer.constData());
    if (n > m_buffer.size())
        m_buffer.resize(n);
    m_end = m_buffer.data();
    m_limit = m_end + m_buffer.size();
}

void BufferedWriter::appendLarge(QByteArrayView bytes)
{
    drain(0);
    if (bytes.size() >= m_buffer.size()) {
        // Larger than the buffer: straight out, without a copy.
        writeOut(bytes.data(), bytes.size());
        return;
    }
    std::memcpy(m_end, bytes.data(), size_t(bytes.size()));
    m_end += bytes.size();
}

IoResult BufferedWriter::finish()
{
    drain(0);
    if (m_buffer.size() > kCapacity) {
        // A long text made the buffer grow once; it need not stay that large.
        m_buffer = QByteArray(kCapacity, Qt::Uninitialized);
        m_end = m_buffer.data();
        m_limit = m_end + m_buffer.size();
    }
    if (m_error == 0)
        return IoResult::success();
    return SystemFailure(IoStep::Output, m_name, m_error);
}
