#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

class QTextStream;

// The command line's --sync: one two-way run of a list file with a CalDAV task collection.
struct SyncCommandOptions
{
    // A server URL or a collection URL.
    QUrl url;
    QString user;
    QString password;
    // The collection chosen in the settings, taken when url leads to several.
    QUrl savedCollection;
    // SHA-256 of a certificate the user chose to trust although it failed the checks.
    QByteArray trustedCertificate;
    // Empty for the standard list.
    QString listFile;
    // How long a request may go without progress.
    int timeoutMs = 30000;
};

// Holds the list as an import does, runs the sync, saves the list and then the sync state beside it, and
// says on out what it did ("sent N, received N, deleted N, conflicts N"). Exit status 1 with the reason on
// err when anything failed; what did reach the list and the server is kept either way.
int SyncListCommand(const SyncCommandOptions& options, QTextStream& out, QTextStream& err);
