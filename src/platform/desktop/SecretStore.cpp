#include "platform/desktop/SecretStore.h"

#include <QEventLoop>

#include <qt6keychain/keychain.h>

namespace {
// The secret store's service name for every password of this program.
const QString kService = QStringLiteral("Quillmar");

// The store's own reason; callers say in the user's language that it was the secret store.
QString errorText(const QKeychain::Job& job)
{
    return job.errorString().isEmpty() ? QStringLiteral("error %1").arg(int(job.error())) : job.errorString();
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
                               std::function<void(const QString& secret, const QString& error)> done)
{
    auto* job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(key);
    QObject::connect(job, &QKeychain::Job::finished, job, [done = std::move(done)](QKeychain::Job* j) {
        auto* read = static_cast<QKeychain::ReadPasswordJob*>(j);
        if (read->error() == QKeychain::NoError)
            done(read->textData(), QString());
        else if (read->error() == QKeychain::EntryNotFound)
            done(QString(), QString());
        else
            done(QString(), errorText(*read));
    });
    job->start();
}

void KeychainSecretStore::write(const QString& key, const QString& secret,
                                std::function<void(const QString& error)> done)
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
                done(QString());
            else
                done(errorText(*j));
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
    store.read(SecretStore::syncKey(url, user), [&](const QString& secret, const QString& e) {
        password = secret;
        failure = e;
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
