#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One window per data folder. The first start listens on a local socket named after the data folder; a
// later start hands its list file over to it and ends.
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

Q_SIGNALS:
    // A later start asked to be shown, with the list file it was given (empty for none).
    void activationRequested(const QString& listFile);

private:
    void readConnection();

    QString m_name;
    QLocalServer* m_server = nullptr;
};
