#pragma once

#include "platform/IoResult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstring>
#include <functional>

// Output of any length through one buffer of fixed size: the text is put together in the buffer and goes
// out in large writes, so a listing of a million rows needs no memory of its own size and few system
// calls. Writes to a file descriptor (standard output, a file), to a sink (an AtomicFile) or, for tests and
// measurements, into memory.
//
// The first failed write is kept; what comes after it is dropped, and finish() reports the failure.
class BufferedWriter
{
public:
    static constexpr qsizetype kCapacity = qsizetype(64) << 10;

    // name says in messages where the output went ("standard output", a file's name).
    BufferedWriter(int fd, const QString& name);
    explicit BufferedWriter(QByteArray* memory);
    // sink takes each full buffer and says whether it was written; name as for a file descriptor.
    BufferedWriter(std::function<bool(QByteArrayView)> sink, const QString& name);
    ~BufferedWriter();
    BufferedWriter(const BufferedWriter&) = delete;
    BufferedWriter& operator=(const BufferedWriter&) = delete;

    void append(QByteArrayView bytes)
    {
        if (m_end + bytes.size() > m_limit) [[unlikely]] {
            appendLarge(bytes);
            return;
        }
        if (!bytes.isEmpty())
            std::memcpy(m_end, bytes.data(), size_t(bytes.size()));
        m_end += bytes.size();
    }
    void append(char c)
    {
        if (m_end == m_limit) [[unlikely]]
            drain(1);
        *m_end++ = c;
    }
    // Room for at most n bytes at the end of the buffer; the caller fills some of it and hands back the
    // end of what it wrote to commit().
    char* room(qsizetype n)
    {
        if (m_end + n > m_limit) [[unlikely]]
            drain(n);
        return m_end;
    }
    void commit(char* end) { m_end = end; }

    // Writes out what is buffered; the result says whether everything so far reached the output.
    IoResult finish();

private:
    // Empties the buffer, and makes it hold at least n bytes.
    void drain(qsizetype n);
    void appendLarge(QByteArrayView bytes);
    void writeOut(const char* data, qsizetype size);

    int m_fd = -1;
    QString m_name;
    QByteArray* m_memory = nullptr;
    std::function<bool(QByteArrayView)> m_sink;
    QByteArray m_buffer;
    char* m_end = nullptr;
    char* m_limit = nullptr;
    int m_error = 0;
};
