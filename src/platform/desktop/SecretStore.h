#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// Why the secret store failed, as a kind that the window words in the user's language.
struct SecretStoreError
{
    enum class Kind
    {
        None,
        // No secret store answers on this desktop.
        NoBackend,
        AccessDenied,
        Other
    };
    Kind kind = Kind::None;
    // The store's own number of the error (for Other) and its words (English, for the command line).
    int code = 0;
    QString detail;

    bool failed() const { return kind != Kind::None; }
};

// Where passwords are kept: the desktop's secret store, never the settings file. Asynchronous, because
// the store may ask the user to unlock it. Tests put an in-memory one in its place.
class SecretStore
{
public:
    virtual ~SecretStore() = default;
    // done gets the secret, or why the store failed; a key nothing is stored under gives an empty secret
    // and no error.
    virtual void read(const QString& key,
                      std::function<void(const QString& secret, const SecretStoreError& error)> done) = 0;
    // Keeps secret under key; an empty secret removes what is stored. done gets why the store failed
    // (Kind::None on success).
    virtual void write(const QString& key, const QString& secret,
                       std::function<void(const SecretStoreError& error)> done) = 0;

    // The key of a sync password: one per server URL and user.
    static QString syncKey(const QUrl& url, const QString& user);
};

// The desktop's secret store through QtKeychain (the Secret Service on Linux desktops).
class KeychainSecretStore : public SecretStore
{
public:
    void read(const QString& key,
              std::function<void(const QString& secret, const SecretStoreError& error)> done) override;
    void write(const QString& key, const QString& secret,
               std::function<void(const SecretStoreError& error)> done) override;
};

// For the command line's --sync: the password of user at url, QUILLMAR_SYNC_PASSWORD when set (for
// scripts), otherwise from the secret store, waiting for it. Empty with *error set when there is none.
QString ReadSyncPassword(const QUrl& url, const QString& user, QString* error);
