#include "exchange/sync/ListSync.h"

#include "exchange/sync/CalDavClient.h"
#include "exchange/sync/SyncRound.h"

namespace {
// A run repeats its round while the server answered 412 to a write (another client was quicker): the
// item is then fetched again and merged; and after it wrote new items, for a token that knows them. Past
// this many rounds the rest waits for the next run.
constexpr int kMaxRounds = 3;

QUrl collectionUrl(QUrl url)
{
    if (!url.path().endsWith(QLatin1Char('/')))
        url.setPath(url.path() + QLatin1Char('/'));
    return url;
}
} // namespace

ListSync::ListSync(SyncTransport& transport) : m_transport(transport) {}

SyncReport ListSync::findCollections(const SyncAccount& account, QList<SyncCollection>& found)
{
    CalDavClient dav(m_transport, account);
    if (!dav.findCollections(account.url, found))
        return dav.error();
    SyncReport report;
    report.ok = true;
    return report;
}

SyncOutcome ListSync::run(const SyncAccount& account, const QUrl& collection, const ToDoList& rows,
                          const SyncState& state, const SyncJournal& journal)
{
    SyncOutcome out;
    const QUrl url = collectionUrl(collection);
    out.state = state;
    if (collectionUrl(state.collection) != url) {
        out.state = SyncState();
        out.state.collection = url;
    }
    // The window syncs an external list as the user who set it up.
    out.state.user = account.user;
    CalDavClient dav(m_transport, account);
    ToDoList current = rows;
    bool retry = true;
    for (int round = 0; round < kMaxRounds && retry; ++round) {
        SyncRound r(dav, url, current, out, journal);
        if (!r.run(round == 0, retry))
            return out;
    }
    // Still writing in the last round: the next run starts from all the server's ETags.
    if (retry)
        out.state.syncToken.clear();
    out.report.ok = true;
    return out;
}

int ApplySyncChanges(ToDoList& list, const std::vector<SyncRowChange>& changes)
{
    int missed = 0;
    for (const SyncRowChange& change : changes) {
        if (change.kind == SyncRowChange::Kind::Add) {
            list.items.push_back(change.after);
            continue;
        }
        const auto it = std::find(list.items.begin(), list.items.end(), change.before);
        if (it == list.items.end()) {
            ++missed;
        } else if (change.kind == SyncRowChange::Kind::Update) {
            *it = change.after;
        } else {
            list.items.erase(it);
        }
    }
    return missed;
}

bool SyncUrlIsInsecure(const QUrl& url)
{
    if (url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) != 0)
        return false;
    const QString host = url.host().toLower();
    return host != QLatin1String("localhost") && host != QLatin1String("127.0.0.1") &&
           host != QLatin1String("::1");
}
