#include "platform/desktop/SingleInstance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace {
// Tells our own messages apart from anything else that might connect.
constexpr quint32 kMagic = 0x51554C4D; // "QULM"
} // namespace

SingleInstance::SingleInstance(const QString& dataFolder, QObject* parent)
    : QObject(parent), m_name(serverName(dataFolder))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const QString& dataFolder)
{
    QString canonical = QDir(dataFolder).canonicalPath();
    if (canonical.isEmpty())
        canonical = QDir(dataFolder).absolutePath();
    const QByteArray hash =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("quillmar-%1-%2")
        .arg(qEnvironmentVariable("USER", QStringLiteral("user")), QString::fromLatin1(hash));
}

bool SingleInstance::sendToRunning(const QString& listFile, int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray block;
    {
        QDataStream out(&block, QIODevice::WriteOnly);
        out << kMagic << listFile;
    }
    socket.write(block);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The window answers with one byte once it has the request.
    if (!socket.waitForReadyRead(timeoutMs))
        return false;
    return socket.read(1) == "1";
}

bool SingleInstance::listen()
{
    if (m_server)
        return true;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock: a socket left over from a process that died is ours to replace.
    QLocalServer::removeServer(m_name);
    if (!m_server->listen(m_name))
        return false;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                QDataStream in(socket);
                in.startTransaction();
                quint32 magic = 0;
                QString listFile;
                in >> magic >> listFile;
                if (!in.commitTransaction())
                    return; // wait for the rest
                if (magic != kMagic) {
                    socket->abort();
                    return;
                }
                socket->write("1");
                socket->flush();
                Q_EMIT activationRequested(listFile);
            });
        }
    });
    return true;
}
