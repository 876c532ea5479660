// The sync password through the desktop's secret store itself (QtKeychain and gnome-keyring, in a
// session of its own: see with_keyring.sh), and the command line's way to it.
#include "platform/desktop/SecretStore.h"

#include <QtTest>

namespace {
// The store's answer to a read: the secret, then the error.
QStringList readBack(SecretStore& store, const QString& key)
{
    QStringList got;
    store.read(key, [&](const QString& secret, const SecretStoreError& error) {
        got = {secret, error.detail};
    });
    if (!QTest::qWaitFor([&] { return !got.isEmpty(); }, 10000))
        got = QStringList{QString(), QStringLiteral("no answer")};
    return got;
}

QString write(SecretStore& store, const QString& key, const QString& secret)
{
    std::optional<QString> got;
    store.write(key, secret, [&](const SecretStoreError& error) { got = error.detail; });
    return QTest::qWaitFor([&] { return got.has_value(); }, 10000) ? *got : QStringLiteral("no answer");
}
} // namespace

class SecretStoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Kept, read back under the same account however its URL is written, and removed again; the command
    // line takes QUILLMAR_SYNC_PASSWORD before the store and says when there is no password.
    void passwordRoundTrip()
    {
        KeychainSecretStore store;
        const QUrl url(QStringLiteral("https://dav.example.org/me/tasks/"));
        const QString key = SecretStore::syncKey(url, QStringLiteral("me"));
        QCOMPARE(write(store, key, QStringLiteral("s3cret ü")), QString());
        QCOMPARE(readBack(store, key), (QStringList{"s3cret ü", ""}));
        QCOMPARE(readBack(store, SecretStore::syncKey(url, QStringLiteral("other"))), (QStringList{"", ""}));

        QString error;
        QCOMPARE(ReadSyncPassword(QUrl(QStringLiteral("https://dav.example.org/me/tasks")),
                                  QStringLiteral("me"), &error),
                 QStringLiteral("s3cret ü"));
        qputenv("QUILLMAR_SYNC_PASSWORD", "from script");
        QCOMPARE(ReadSyncPassword(url, QStringLiteral("me"), &error), QStringLiteral("from script"));
        qunsetenv("QUILLMAR_SYNC_PASSWORD");

        QCOMPARE(write(store, key, QString()), QString());
        QCOMPARE(readBack(store, key), (QStringList{"", ""}));
        QVERIFY(ReadSyncPassword(url, QStringLiteral("me"), &error).isEmpty());
        QVERIFY(error.startsWith(QLatin1String("No password is stored")));
    }
};

QTEST_GUILESS_MAIN(SecretStoreTest)
#include "secret_store_test.moc"
