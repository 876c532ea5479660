#include "platform/desktop/SecretStore.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QEventLoop>

#include <qt6keychain/keychain.h>

namespace {
// The secret store's service name for every password of this program.
const QString kService = QStringLiteral("Quillmar");

// No session bus, or nothing on it that keeps secrets (QtKeychain calls that some other error).
bool noSecretService()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return true;
    const QStringList activatable = bus.interface()->activatableServiceNames();
    for (const char* name : {"org.freedesktop.secrets", "org.kde.kwalletd5", "org.kde.kwalletd6"}) {
        const QString service = QString::fromLatin1(name);
        if (bus.interface()->isServiceRegistered(service) || activatable.contains(service))
            return false;
    }
    return true;
}

SecretStoreError errorOf(const QKeychain::Job& job)
{
    using Kind = SecretStoreError::Kind;
    SecretStoreError e;
    switch (job.error()) {
    case QKeychain::NoError:
        return e;
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        e.kind = Kind::NoBackend;
        break;
    case QKeychain::AccessDenied:
    case QKeychain::AccessDeniedByUser:
        e.kind = Kind::AccessDenied;
        break;
    default:
        e.kind = noSecretService() ? Kind::NoBackend : Kind::Other;
        break;
    }
    e.code = int(job.error());
    e.detail = job.errorString().isEmpty() ? QStringLiteral("error %1").arg(e.code) : job.errorString();
    return e;
}
} // namespace

QString SecretStore::syncKey(const QUrl& url, const QString& user)
{
    // A password typed into the URL, or a slash at its end, makes no other account.
    const QString where =
        url.adjusted(QUrl::RemoveUserInfo | QUrl::StripTrailingSlash | QUrl::NormalizePathSegments)
            .toString();
    return QStringLiteral("sync %1 at %2").arg(user, where);
}

void KeychainSecretStore::read(const QString& key,
                               std::function<void(const QString& secret, const SecretStoreError& error)> done)
{
    auto* job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(key);
    QObject::connect(job, &QKeychain::Job::finished, job, [done = std::move(done)](QKeychain::Job* j) {
        auto* read = static_cast<QKeychain::ReadPasswordJob*>(j);
        if (read->error() == QKeychain::NoError)
            done(read->textData(), {});
        else if (read->error() == QKeychain::EntryNotFound)
            done(QString(), {});
        else
            done(QString(), errorOf(*read));
    });
    job->start();
}

void KeychainSecretStore::write(const QString& key, const QString& secret,
                                std::function<void(const SecretStoreError& error)> done)
{
    QKeychain::Job* job = nullptr;
    if (secret.isEmpty()) {
        auto* remove = new QKeychain::DeletePasswordJob(kService);
        remove->setKey(key);
        job = remove;
    } else {
        auto* store = new QKeychain::WritePasswordJob(kService);
        store->setKey(key);
        store->setTextData(secret);
        job = store;
    }
    const bool removing = secret.isEmpty();
    QObject::connect(
        job, &QKeychain::Job::finished, job, [done = std::move(done), removing](QKeychain::Job* j) {
            // Removing what was never stored is no failure.
            if (j->error() == QKeychain::NoError || (removing && j->error() == QKeychain::EntryNotFound))
                done({});
            else
                done(errorOf(*j));
        });
    job->start();
}

QString ReadSyncPassword(const QUrl& url, const QString& user, QString* error)
{
    const QByteArray fromEnvironment = qgetenv("QUILLMAR_SYNC_PASSWORD");
    if (!fromEnvironment.isEmpty())
        return QString::fromUtf8(fromEnvironment);
    QString password;
    QString failure;
    QEventLoop loop;
    bool finished = false;
    KeychainSecretStore store;
    store.read(SecretStore::syncKey(url, user), [&](const QString& secret, const SecretStoreError& e) {
        password = secret;
        failure = e.detail;
        finished = true;
        loop.quit();
    });
    if (!finished)
        loop.exec();
    if (!failure.isEmpty())
        failure = QStringLiteral("The secret store failed: %1").arg(failure);
    else if (password.isEmpty())
        failure =
            QStringLiteral("No password is stored for %1 at %2; set QUILLMAR_SYNC_PASSWORD or save it in "
                           "the settings' Sync page.")
                .arg(user, url.toDisplayString());
    if (error)
        *error = failure;
    return failure.isEmpty() ? password : QString();
}
