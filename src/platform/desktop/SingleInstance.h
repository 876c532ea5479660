#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <map>

class QSocketNotifier;
class QTimer;

// One window per data folder. The window listens on a local socket named after the data folder; a later
// start hands its list file over to it and ends.
//
// The socket lives in a folder of the user's own (mode 0700) below the temporary folder, so no other user
// can reach it; a start hands its file over only when that folder is still so and the window at the
// other end runs as the same user, and the window takes requests only from its own user. Hand-over
// connections are few (16 at once), small (64 KiB) and short (5 s to bring their request). It is served
// through the system's socket calls and the event loop's socket notifiers: no network library has to be
// loaded for it at start-up.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(const QString& dataFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Hands listFile (absolute, or empty) to a running window; true when it took it.
    bool sendToRunning(const QString& listFile, int timeoutMs = 3000) const;
    // Starts listening; call only while holding the data folder's lock.
    bool listen();

    static QString serverName(const QString& dataFolder);
    // The socket's path for a data folder.
    static QString socketPath(const QString& dataFolder);

Q_SIGNALS:
    // A later start asked to be shown, with the list file it was given (empty for none).
    void activationRequested(const QString& listFile);

private:
    struct Connection
    {
        QSocketNotifier* notifier = nullptr;
        QTimer* timeout = nullptr;
        QByteArray received;
    };
    void acceptConnections();
    void readConnection(int fd);
    void closeConnection(int fd);

    QString m_path;
    int m_listenFd = -1;
    QSocketNotifier* m_listenNotifier = nullptr;
    std::map<int, Connection> m_connections;
};
