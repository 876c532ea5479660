#include "exchange/sync/CalDavClient.h"

#include "config/LanguageTexts.h"

#include <QXmlStreamReader>

#include <algorithm>

namespace {
// What the sync says went wrong, in the language in effect.
QString syncError(const char* key)
{
    return LanguageTexts::shared().text("SyncErrors", key);
}

// Why no answer came, for "Cannot reach the server".
QString networkFailure(const SyncResponse& response)
{
    switch (response.failure) {
    case SyncResponse::Failure::Refused:
        return syncError("NetRefused");
    case SyncResponse::Failure::HostNotFound:
        return syncError("NetHostNotFound");
    case SyncResponse::Failure::Tls:
        return syncError("NetTls");
    case SyncResponse::Failure::Dropped:
        return syncError("NetDropped");
    default:
        return syncError("NetOther").arg(response.networkCode);
    }
}

// What is wrong with an untrusted certificate, and whose it is.
QString certificateDescription(const SyncResponse& response)
{
    using P = SyncResponse::CertificateProblem;
    QStringList problems;
    for (const P problem : response.certificateProblems) {
        switch (problem) {
        case P::SelfSigned:
            problems << syncError("CertSelfSigned");
            break;
        case P::Expired:
            problems << syncError("CertExpired");
            break;
        case P::NotYetValid:
            problems << syncError("CertNotYetValid");
            break;
        case P::WrongHost:
            problems << syncError("CertWrongHost");
            break;
        case P::UnknownIssuer:
            problems << syncError("CertUnknownIssuer");
            break;
        case P::Revoked:
            problems << syncError("CertRevoked");
            break;
        case P::Other:
            problems << syncError("CertOther");
            break;
        }
    }
    return syncError("Certificate")
        .arg(problems.join(QLatin1String("; ")), response.certificateSubject, response.certificateIssuer,
             QString::fromLatin1(response.untrustedCertificate.toHex(':')));
}

constexpr int kMaxRedirects = 5;
// Items fetched per calendar-multiget.
constexpr size_t kMultigetBatch = 200;

const QByteArray kXmlHead = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

QByteArray escaped(const QString& text)
{
    return text.toHtmlEscaped().toUtf8();
}

int statusOf(const QString& line)
{
    // "HTTP/1.1 200 OK"
    return line.trimmed().section(QLatin1Char(' '), 1, 1).toInt();
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}
} // namespace

bool ParseDavMultiStatus(QByteArrayView body, DavMultiStatus& out)
{
    out = DavMultiStatus();
    QXmlStreamReader xml(body.toByteArray());
    struct Frame
    {
        QString name;
        QString text;
    };
    std::vector<Frame> stack;
    DavEntry entry;
    QHash<QString, DavProperty> props;
    int propstatStatus = 0;
    int propDepth = -1; // depth of the <prop> element whose children are properties
    DavProperty* property = nullptr;
    bool sawRoot = false;
    const auto parent = [&stack](size_t up) {
        return stack.size() > up ? stack[stack.size() - 1 - up].name : QString();
    };
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement: {
            const QString name = xml.name().toString();
            if (stack.empty()) {
                if (name != QLatin1String("multistatus"))
                    return false;
                sawRoot = true;
            }
            const int depth = int(stack.size());
            if (propDepth >= 0 && depth == propDepth + 1) {
                props[name] = DavProperty();
                property = &props[name];
            } else if (property && depth > propDepth + 1 && name != QLatin1String("href")) {
                property->children << name;
                if (const auto attr = xml.attributes().value(QLatin1String("name")); !attr.isEmpty())
                    property->children << attr.toString();
            }
            if (name == QLatin1String("prop") && parent(0) == QLatin1String("propstat"))
                propDepth = depth;
            stack.push_back({name, {}});
            break;
        }
        case QXmlStreamReader::Characters:
            if (!stack.empty())
                stack.back().text += xml.text();
            break;
        case QXmlStreamReader::EndElement: {
            Frame frame = std::move(stack.back());
            stack.pop_back();
            const int depth = int(stack.size());
            const QString& name = frame.name;
            const QString up = parent(0);
            if (property && depth == propDepth + 1) {
                property->text = frame.text;
                property = nullptr;
            } else if (property && name == QLatin1String("href")) {
                property->hrefs << frame.text.trimmed();
            } else if (name == QLatin1String("prop") && depth == propDepth) {
                propDepth = -1;
            } else if (name == QLatin1String("href") && up == QLatin1String("response")) {
                entry.href = frame.text.trimmed();
            } else if (name == QLatin1String("status") && up == QLatin1String("propstat")) {
                propstatStatus = statusOf(frame.text);
            } else if (name == QLatin1String("status") && up == QLatin1String("response")) {
                entry.status = statusOf(frame.text);
            } else if (name == QLatin1String("propstat")) {
                if (propstatStatus >= 200 && propstatStatus < 300)
                    entry.found.insert(props);
                props.clear();
                propstatStatus = 0;
            } else if (name == QLatin1String("response")) {
                out.entries.push_back(std::move(entry));
                entry = DavEntry();
            } else if (name == QLatin1String("sync-token") && up == QLatin1String("multistatus")) {
                out.syncToken = frame.text.trimmed();
            }
            break;
        }
        default:
            break;
        }
    }
    return sawRoot && !xml.hasError();
}

QString DavNormalizedPath(const QUrl& base, const QString& href)
{
    return base.resolved(QUrl::fromEncoded(href.toUtf8())).path(QUrl::FullyDecoded);
}

CalDavClient::CalDavClient(SyncTransport& transport, const SyncAccount& account)
    : m_transport(transport), m_account(account)
{
    if (!account.user.isEmpty() || !account.password.isEmpty())
        m_authorization = "Basic " + (account.user + QLatin1Char(':') + account.password).toUtf8().toBase64();
    m_transport.setTrustedCertificate(account.trustedCertificate);
}

QUrl CalDavClient::urlOf(const QUrl& collection, const QString& path) const
{
    QUrl url = collection;
    url.setPath(path, QUrl::DecodedMode);
    url.setQuery(QString());
    url.setFragment(QString());
    return url;
}

SyncRequest CalDavClient::request(const QByteArray& method, const QUrl& url, const QByteArray& body) const
{
    SyncRequest r{method, url, {}, body};
    if (!m_authorization.isEmpty())
        r.headers.append({"Authorization", m_authorization});
    if (!body.isEmpty())
        r.headers.append({"Content-Type", method == "PUT" ? QByteArray("text/calendar; charset=utf-8")
                                                          : QByteArray("application/xml; charset=utf-8")});
    return r;
}

SyncReport CalDavClient::failure(const SyncResponse& response, const QUrl& url) const
{
    SyncReport report;
    const QString where = url.toDisplayString(QUrl::RemoveUserInfo);
    if (!response.untrustedCertificate.isEmpty()) {
        report.untrustedCertificate = response.untrustedCertificate;
        report.certificateDescription = certificateDescription(response);
        report.error = syncError("Untrusted").arg(url.host(), report.certificateDescription);
    } else if (response.failure == SyncResponse::Failure::TimedOut) {
        report.error = syncError("TimedOut").arg(url.host());
    } else if (!response.answered()) {
        report.error = syncError("Unreachable").arg(url.host(), networkFailure(response));
    } else if (response.status == 401) {
        report.error = syncError("LoginRefused").arg(where);
    } else if (response.status == 403) {
        report.error = syncError("AccessRefused").arg(where);
    } else if (response.status == 404) {
        report.error = syncError("NotFound").arg(where);
    } else {
        report.error = syncError("Status").arg(response.status).arg(where);
    }
    return report;
}

bool CalDavClient::fail(const SyncResponse& response, const QUrl& url)
{
    m_error = failure(response, url);
    m_failedStatus = response.answered() ? response.status : 0;
    m_noAnswer = !response.answered();
    return false;
}

bool CalDavClient::fail(const QString& message)
{
    m_failedStatus = 0;
    m_noAnswer = false;
    m_error = SyncReport();
    m_error.error = message;
    return false;
}

bool CalDavClient::propfind(QUrl& url, int depth, const QByteArray& props, DavMultiStatus& out)
{
    const QByteArray body =
        kXmlHead + "<D:propfind xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><D:prop>" + props +
        "</D:prop></D:propfind>";
    for (int hop = 0;; ++hop) {
        SyncRequest r = request("PROPFIND", url, body);
        r.headers.append({"Depth", QByteArray::number(depth)});
        const SyncResponse response = m_transport.send(r);
        if (isRedirect(response.status) && hop < kMaxRedirects && !response.header("Location").isEmpty()) {
            url = url.resolved(QUrl::fromEncoded(response.header("Location")));
            continue;
        }
        if (response.status != 207)
            return fail(response, url);
        if (!ParseDavMultiStatus(response.body, out))
            return fail(syncError("NotWebDav").arg(url.host()));
        return true;
    }
}

namespace {
const QByteArray kCollectionProps = "<D:resourcetype/><D:displayname/><C:supported-calendar-component-set/>";

bool isCalendar(const DavEntry& e)
{
    return e.found.value(QStringLiteral("resourcetype")).children.contains(QLatin1String("calendar"));
}

// A calendar that names no component set takes every kind (RFC 4791, 5.2.3).
bool holdsToDos(const DavEntry& e)
{
    const auto set = e.found.find(QStringLiteral("supported-calendar-component-set"));
    return set == e.found.end() || set->children.isEmpty() || set->children.contains(QLatin1String("VTODO"));
}

SyncCollection collectionOf(const QUrl& base, const DavEntry& e)
{
    QUrl url = base.resolved(QUrl::fromEncoded(e.href.toUtf8()));
    if (!url.path().endsWith(QLatin1Char('/')))
        url.setPath(url.path() + QLatin1Char('/'));
    QString name = e.found.value(QStringLiteral("displayname")).text.trimmed();
    if (name.isEmpty())
        name = url.path().section(QLatin1Char('/'), -2, -2);
    return {url, name};
}
} // namespace

bool CalDavClient::findCollections(const QUrl& start, QList<SyncCollection>& found)
{
    found.clear();
    QUrl url = start;
    DavMultiStatus here;
    // A server that failed (5xx) at the address given is reported as such, not as "no server found" when
    // its well-known URL fails too.
    SyncReport serverFault;
    int faultStatus = 0;
    if (!propfind(url, 0, kCollectionProps + "<D:current-user-principal/><C:calendar-home-set/>", here)) {
        // A server root that answers no PROPFIND may still point the way through its well-known URL. A
        // deeper address that is not there is a mistyped or deleted collection: another collection found
        // from the server instead would mix two lists.
        if (hopeless())
            return false;
        const QString path = url.path();
        if (m_failedStatus == 404 && !path.isEmpty() && path != QLatin1String("/"))
            return false;
        if (m_failedStatus >= 500) {
            serverFault = m_error;
            faultStatus = m_failedStatus;
        }
        here = DavMultiStatus();
    }
    const DavEntry self = here.entries.empty() ? DavEntry() : here.entries.front();
    // Some servers answer a missing address with a multistatus whose one response is a 404.
    if (self.status == 404 && url.path() != QLatin1String("/") && !url.path().isEmpty())
        return fail(syncError("NotFound").arg(url.toDisplayString(QUrl::RemoveUserInfo)));
    if (isCalendar(self)) {
        if (!holdsToDos(self))
            return fail(syncError("NoToDos").arg(url.toDisplayString()));
        found << collectionOf(url, self);
        return true;
    }
    QStringList homes = self.found.value(QStringLiteral("calendar-home-set")).hrefs;
    QUrl homeBase = url;
    if (homes.isEmpty()) {
        QStringList principal = self.found.value(QStringLiteral("current-user-principal")).hrefs;
        QUrl principalUrl = url;
        if (principal.isEmpty()) {
            principalUrl = url.resolved(QUrl(QStringLiteral("/.well-known/caldav")));
            DavMultiStatus known;
            if (!propfind(principalUrl, 0, "<D:current-user-principal/>", known)) {
                if (hopeless())
                    return false;
                if (faultStatus != 0) {
                    m_error = serverFault;
                    m_failedStatus = faultStatus;
                    return false;
                }
                return fail(syncError("NoServer").arg(start.toDisplayString()));
            }
            if (!known.entries.empty())
                principal = known.entries.front().found.value(QStringLiteral("current-user-principal")).hrefs;
        }
        if (principal.isEmpty())
            return fail(syncError("NoUser").arg(start.host()));
        principalUrl = principalUrl.resolved(QUrl::fromEncoded(principal.front().toUtf8()));
        DavMultiStatus p;
        if (!propfind(principalUrl, 0, "<C:calendar-home-set/>", p))
            return false;
        if (!p.entries.empty())
            homes = p.entries.front().found.value(QStringLiteral("calendar-home-set")).hrefs;
        homeBase = principalUrl;
        if (homes.isEmpty())
            return fail(syncError("NoCalendars").arg(start.host()));
    }
    for (const QString& home : std::as_const(homes)) {
        QUrl homeUrl = homeBase.resolved(QUrl::fromEncoded(home.toUtf8()));
        DavMultiStatus listing;
        if (!propfind(homeUrl, 1, kCollectionProps, listing))
            return false;
        for (const DavEntry& e : listing.entries) {
            if (isCalendar(e) && holdsToDos(e))
                found << collectionOf(homeUrl, e);
        }
    }
    if (found.isEmpty())
        return fail(syncError("NoTaskList").arg(start.host()));
    return true;
}

bool CalDavClient::changes(const QUrl& collection, const QByteArray& token, DavChanges& out)
{
    out = DavChanges();
    const auto report = [&](const QByteArray& t) {
        const QByteArray body = kXmlHead + "<D:sync-collection xmlns:D=\"DAV:\"><D:sync-token>" +
                                escaped(QString::fromUtf8(t)) +
                                "</D:sync-token><D:sync-level>1</D:sync-level><D:prop><D:getetag/>"
                                "</D:prop></D:sync-collection>";
        return m_transport.send(request("REPORT", collection, body));
    };
    SyncResponse response = report(token);
    bool full = token.isEmpty();
    // A token the server no longer knows (RFC 6578, 3.2: valid-sync-token): start over with all members.
    // Some servers fail with a 5xx instead; all members are then asked for too, which a server that is
    // really failing refuses again.
    bool refused = false;
    if (!full && (response.status == 403 || response.status == 409 || response.status == 400 ||
                  response.status >= 500)) {
        response = report({});
        full = true;
        refused = response.status == 207;
    }
    if (response.status == 207) {
        DavMultiStatus ms;
        if (!ParseDavMultiStatus(response.body, ms))
            return fail(syncError("NotWebDav").arg(collection.host()));
        out.full = full;
        out.tokenRefused = refused;
        out.syncToken = ms.syncToken.toUtf8();
        const QString self = collection.path(QUrl::FullyDecoded);
        for (const DavEntry& e : ms.entries) {
            const QString path = DavNormalizedPath(collection, e.href);
            if (path == self || path + QLatin1Char('/') == self)
                continue;
            DavMember m{path, e.found.value(QStringLiteral("getetag")).text.trimmed().toUtf8(), {}, false};
            m.gone = e.status == 404;
            out.members.push_back(std::move(m));
        }
        return true;
    }
    // Only a refusal of the report itself means that the collection does not offer it; a server fault
    // or a failed connection fails the run.
    static const int kNotOffered[] = {400, 403, 404, 405, 409, 415, 422, 501};
    if (std::find(std::begin(kNotOffered), std::end(kNotOffered), response.status) == std::end(kNotOffered))
        return fail(response, collection);
    // No sync-collection here: every member's ETag, to compare.
    out = DavChanges();
    DavMultiStatus ms;
    QUrl url = collection;
    if (!propfind(url, 1, "<D:getetag/><D:resourcetype/>", ms))
        return false;
    const QString self = collection.path(QUrl::FullyDecoded);
    for (const DavEntry& e : ms.entries) {
        const QString path = DavNormalizedPath(collection, e.href);
        if (path == self || path + QLatin1Char('/') == self || path.endsWith(QLatin1Char('/')))
            continue;
        out.members.push_back(
            {path, e.found.value(QStringLiteral("getetag")).text.trimmed().toUtf8(), {}, false});
    }
    return true;
}

bool CalDavClient::fetch(const QUrl& collection, std::vector<DavMember>& members)
{
    QHash<QString, size_t> index;
    for (size_t i = 0; i < members.size(); ++i)
        index.insert(members[i].href, i);
    std::vector<SyncRequest> requests;
    for (size_t from = 0; from < members.size(); from += kMultigetBatch) {
        QByteArray body = kXmlHead +
                          "<C:calendar-multiget xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\">"
                          "<D:prop><D:getetag/><C:calendar-data/></D:prop>";
        for (size_t i = from; i < std::min(members.size(), from + kMultigetBatch); ++i)
            body += "<D:href>" + escaped(urlOf(collection, members[i].href).path(QUrl::FullyEncoded)) +
                    "</D:href>";
        body += "</C:calendar-multiget>";
        SyncRequest r = request("REPORT", collection, body);
        r.headers.append({"Depth", QByteArray("1")});
        requests.push_back(std::move(r));
    }
    std::vector<bool> seen(members.size(), false);
    const std::vector<SyncResponse> responses = m_transport.exchange(requests);
    for (const SyncResponse& response : responses) {
        if (response.status != 207)
            return fail(response, collection);
        DavMultiStatus ms;
        if (!ParseDavMultiStatus(response.body, ms))
            return fail(syncError("NotWebDav").arg(collection.host()));
        for (const DavEntry& e : ms.entries) {
            const auto it = index.find(DavNormalizedPath(collection, e.href));
            if (it == index.end())
                continue;
            DavMember& m = members[*it];
            const auto data = e.found.find(QStringLiteral("calendar-data"));
            if (data == e.found.end())
                continue;
            m.calendar = data->text.toUtf8();
            m.etag = e.found.value(QStringLiteral("getetag")).text.trimmed().toUtf8();
            seen[*it] = true;
        }
    }
    for (size_t i = 0; i < members.size(); ++i)
        members[i].gone = !seen[i];
    return true;
}
