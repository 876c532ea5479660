#include "platform/desktop/SingleInstance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// Tells our own messages apart from anything else that might connect.
constexpr quint32 kMagic = 0x51554C4D; // "QULM"
// A request is a file name; anything longer is not ours.
constexpr qsizetype kMaxRequest = 64 * 1024;

QByteArray magicBytes()
{
    QByteArray bytes;
    QDataStream(&bytes, QIODevice::WriteOnly) << kMagic;
    return bytes;
}

bool addressOf(const QString& path, sockaddr_un& address)
{
    const QByteArray name = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    return true;
}

// Waits for events on fd until the deadline; false when it did not come.
bool waitFor(int fd, short events, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, int(std::max<qint64>(0, deadline.remainingTime())));
        if (n < 0 && errno == EINTR)
            continue;
        return n > 0 && (p.revents & events);
    }
}

// A hand-over connection that has not brought its whole request by then is dropped, and no more than
// this many are open at once: a client that opens connections and sends nothing cannot use up the
// window's descriptors, nor keep a real hand-over out for long.
constexpr int kConnectionTimeoutMs = 5000;
constexpr std::size_t kMaxConnections = 16;

// Whether the process at the other end of a connected socket is of our user.
bool peerIsUs(int fd)
{
    ucred peer{};
    socklen_t length = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && length == sizeof peer &&
           peer.uid == ::getuid();
}

// The user's own folder for the socket, made when missing (for the listening side); empty when it cannot
// be trusted (not a folder, a link, someone else's, or open to others). Both sides check it: a start must
// not hand its file to whatever listens in a folder someone else prepared.
QString privateFolder(bool create)
{
    const QString folder = QDir::tempPath() + QStringLiteral("/quillmar-%1").arg(::getuid());
    const QByteArray name = QFile::encodeName(folder);
    if (create)
        ::mkdir(name.constData(), 0700);
    struct stat st
    {
    };
    if (::lstat(name.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 0077) != 0)
        return QString();
    return folder;
}
} // namespace

SingleInstance::SingleInstance(const QString& dataFolder, QObject* parent)
    : QObject(parent), m_path(socketPath(dataFolder))
{
}

SingleInstance::~SingleInstance()
{
    for (auto& [fd, connection] : m_connections) {
        delete connection.notifier;
        delete connection.timeout;
        ::close(fd);
    }
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        ::unlink(QFile::encodeName(m_path).constData());
    }
}

QString SingleInstance::serverName(const QString& dataFolder)
{
    QString canonical = QDir(dataFolder).canonicalPath();
    if (canonical.isEmpty())
        canonical = QDir(dataFolder).absolutePath();
    const QByteArray hash =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("quillmar-%1").arg(QString::fromLatin1(hash));
}

QString SingleInstance::socketPath(const QString& dataFolder)
{
    return QDir::tempPath() + QStringLiteral("/quillmar-%1/").arg(::getuid()) + serverName(dataFolder);
}

bool SingleInstance::sendToRunning(const QString& listFile, int timeoutMs) const
{
    sockaddr_un address;
    if (privateFolder(false).isEmpty() || !addressOf(m_path, address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    const auto done = [fd](bool result) {
        ::close(fd);
        return result;
    };
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        // A window that is busy has its queue full for a moment; nobody there at all is an answer too.
        if ((errno != EAGAIN && errno != EINPROGRESS) || !waitFor(fd, POLLOUT, deadline))
            return done(false);
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
            return done(false);
    }
    // Only a window of our own user gets the file's name.
    if (!peerIsUs(fd))
        return done(false);
    QByteArray block;
    {
        QDataStream out(&block, QIODevice::WriteOnly);
        out << kMagic << listFile;
    }
    for (qsizetype sent = 0; sent < block.size();) {
        const ssize_t n = ::send(fd, block.constData() + sent, size_t(block.size() - sent), MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && waitFor(fd, POLLOUT, deadline))
            continue;
        return done(false);
    }
    // The window answers with one byte once it has the request.
    for (;;) {
        if (!waitFor(fd, POLLIN, deadline))
            return done(false);
        char answer = 0;
        const ssize_t n = ::recv(fd, &answer, 1, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        return done(n == 1 && answer == '1');
    }
}

bool SingleInstance::listen()
{
    if (m_listenFd >= 0)
        return true;
    if (privateFolder(true).isEmpty())
        return false;
    sockaddr_un address;
    if (!addressOf(m_path, address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    // We hold the lock: a socket left over from a process that died is ours to replace.
    ::unlink(address.sun_path);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 16) != 0) {
        ::close(fd);
        return false;
    }
    m_listenFd = fd;
    m_listenNotifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
    connect(m_listenNotifier, &QSocketNotifier::activated, this, &SingleInstance::acceptConnections);
    return true;
}

void SingleInstance::acceptConnections()
{
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (m_connections.size() >= kMaxConnections || !peerIsUs(fd)) {
            ::close(fd);
            continue;
        }
        Connection& connection = m_connections[fd];
        connection.notifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
        connect(connection.notifier, &QSocketNotifier::activated, this, [this, fd] { readConnection(fd); });
        connection.timeout = new QTimer(this);
        connection.timeout->setSingleShot(true);
        connect(connection.timeout, &QTimer::timeout, this, [this, fd] { closeConnection(fd); });
        connection.timeout->start(kConnectionTimeoutMs);
    }
}

void SingleInstance::readConnection(int fd)
{
    const auto found = m_connections.find(fd);
    if (found == m_connections.end())
        return;
    QByteArray& received = found->second.received;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            received.append(buffer, n);
            if (received.size() > kMaxRequest)
                return closeConnection(fd);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        // The other side left, or the connection failed.
        return closeConnection(fd);
    }
    if (received.size() >= 4 && !received.startsWith(magicBytes()))
        return closeConnection(fd);
    QDataStream in(received);
    quint32 magic = 0;
    QString listFile;
    in >> magic >> listFile;
    if (in.status() != QDataStream::Ok)
        return; // wait for the rest
    if (magic != kMagic)
        return closeConnection(fd);
    ::send(fd, "1", 1, MSG_NOSIGNAL);
    closeConnection(fd);
    Q_EMIT activationRequested(listFile);
}

void SingleInstance::closeConnection(int fd)
{
    const auto found = m_connections.find(fd);
    if (found == m_connections.end())
        return;
    // Deleted later: this may run inside the notifier's own signal.
    found->second.notifier->setEnabled(false);
    found->second.notifier->deleteLater();
    found->second.timeout->stop();
    found->second.timeout->deleteLater();
    m_connections.erase(found);
    ::close(fd);
}
