#pragma once

#include "exchange/sync/SyncService.h"
#include "exchange/sync/SyncTransport.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <vector>

// A WebDAV property as a multistatus answer gives it: its text, the hrefs in it, and the names of the
// elements in it (with the name attribute of each, as supported-calendar-component-set lists "VTODO").
struct DavProperty
{
    QString text;
    QStringList hrefs;
    QStringList children;
};

// One response of a multistatus: the resource, its own status (sync-collection's 404 for a member that is
// gone) and the properties found (propstat 200), by local name.
struct DavEntry
{
    QString href;
    int status = 0;
    QHash<QString, DavProperty> found;
};

struct DavMultiStatus
{
    std::vector<DavEntry> entries;
    QString syncToken;
};

// Reads a 207 Multi-Status body (RFC 4918); false when it is not one.
bool ParseDavMultiStatus(QByteArrayView body, DavMultiStatus& out);

// An item of a collection: its path (decoded), ETag, and calendar text when it was fetched.
struct DavMember
{
    QString href;
    QByteArray etag;
    QByteArray calendar;
    bool gone = false; // sync-collection says it was removed
};

// What changed in a collection: everything (full) or only what changed since the token given.
struct DavChanges
{
    std::vector<DavMember> members;
    QByteArray syncToken; // empty when the collection does not offer sync-collection
    bool full = true;
    // The server no longer knew the token given: the collection was made anew or lost its history.
    bool tokenRefused = false;
};

// The requests of CalDAV (RFC 4791, RFC 6578) over a SyncTransport, with the account's credentials. Each
// call returns false on failure and leaves the reason in error().
class CalDavClient
{
public:
    CalDavClient(SyncTransport& transport, const SyncAccount& account);

    const SyncReport& error() const { return m_error; }

    bool findCollections(const QUrl& url, QList<SyncCollection>& found);
    // The members changed since token (all members when token is empty or the server no longer knows it).
    bool changes(const QUrl& collection, const QByteArray& token, DavChanges& out);
    // Fills in the calendar text and ETag of each member; members the server no longer has are marked gone.
    bool fetch(const QUrl& collection, std::vector<DavMember>& members);

    // The URL of a path of the collection's server.
    QUrl urlOf(const QUrl& collection, const QString& path) const;
    SyncRequest request(const QByteArray& method, const QUrl& url, const QByteArray& body = {}) const;
    // The reason for a failed answer, in words; fills in the certificate of the report.
    SyncReport failure(const SyncResponse& response, const QUrl& url) const;

    SyncTransport& transport() { return m_transport; }

private:
    // PROPFIND with the given prop names (D: or C: prefixed), following redirects.
    bool propfind(QUrl& url, int depth, const QByteArray& props, DavMultiStatus& out);
    bool fail(const SyncResponse& response, const QUrl& url);
    bool fail(const QString& message);

    SyncTransport& m_transport;
    SyncAccount m_account;
    QByteArray m_authorization;
    SyncReport m_error;
    // The HTTP status of the last failed answer; 0 when none came.
    int m_failedStatus = 0;
    // The last failed request got no answer (server not reached, time-out, certificate).
    bool m_noAnswer = false;
    // The last failure was the server turning the user or the access down.
    bool refusedAccess() const { return m_failedStatus == 401 || m_failedStatus == 403; }
    // The last failure was one no other address of the server can help: refused, or no answer at all.
    bool hopeless() const { return refusedAccess() || m_noAnswer; }
};

// The decoded path that href (absolute, or relative to base) names: how items are told apart, whichever
// way a server encodes their names.
QString DavNormalizedPath(const QUrl& base, const QString& href);
