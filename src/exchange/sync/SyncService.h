#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

// What a list's sync with a CalDAV task collection needs from its user.
struct SyncAccount
{
    // A server URL (the task collections are found from it) or the URL of one collection.
    QUrl url;
    QString user;
    QString password;
    // SHA-256 of a certificate the user chose to trust although it failed the checks; empty otherwise.
    QByteArray trustedCertificate;
};

// A task collection found on a server.
struct SyncCollection
{
    QUrl url;
    QString name;
};

// What one run did, or why it failed.
struct SyncReport
{
    bool ok = false;
    // Why the run failed, in words for the status bar and the command line; empty when ok.
    QString error;
    int sent = 0;
    int received = 0;
    int deleted = 0;
    int conflicts = 0;
    // Set when the run stopped at a certificate that failed the checks: its SHA-256 and a description for
    // the question whether to trust it.
    QByteArray untrustedCertificate;
    QString certificateDescription;
};

// The sync as the settings page and the window see it. The window's implementation owns the runs, the
// timers and the network module (loaded only when a list is set up for sync); the settings page only asks
// it to find collections and to keep the password.
class SyncService : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Finds the task collections that account.url leads to (a collection URL gives itself). done gets the
    // report (ok, or the reason) and the collections that hold to-dos.
    virtual void
    findCollections(const SyncAccount& account,
                    std::function<void(const SyncReport&, const QList<SyncCollection>&)> done) = 0;
    // The password of user at url, from the desktop's secret store; done gets it, or an error text.
    virtual void readPassword(const QUrl& url, const QString& user,
                              std::function<void(const QString& password, const QString& error)> done) = 0;
    // Keeps the password in the desktop's secret store (an empty password removes it); done gets an
    // error text, empty on success.
    virtual void storePassword(const QUrl& url, const QString& user, const QString& password,
                               std::function<void(const QString& error)> done) = 0;

Q_SIGNALS:
    // The last run's result in a line for the status bar ("Synchronized at 14:02: 3 sent, 1 received").
    void statusChanged(const QString& text);
    void runningChanged(bool running);
};
