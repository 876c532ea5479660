#pragma once

#include "platform/IoResult.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

class IniFile;

// The [Sync] section: which server the standard list is synchronized with and how often. The password is
// not among them: it lives in the desktop's secret store, keyed by url and user.
struct SyncSettings
{
    // A server URL (the task collections are found from it) or the URL of one collection; empty: no sync.
    QUrl url;
    QString user;
    // The collection chosen from those found at url; empty: the one url leads to.
    QUrl collection;
    // Minutes between runs; 0: only at start, after changes and on demand. At most a day.
    int intervalMinutes = 5;
    static constexpr int kMaxIntervalMinutes = 24 * 60;
    // SHA-256 of a certificate the user chose to trust although it failed the checks.
    QByteArray trustedCertificate;
    // A password is kept in the secret store for url and user. Without one the store is never asked:
    // a server that wants no password syncs on a desktop without a keyring.
    bool passwordInKeyring = false;

    bool isSetUp() const { return url.isValid() && !url.isEmpty(); }
    bool operator==(const SyncSettings&) const = default;

    // An interval that is no number or negative reads as the default.
    static SyncSettings read(const IniFile& ini);
    static SyncSettings read(const QString& file);
    void writeTo(IniFile& ini) const;
    IoResult write(const QString& file) const;
};
