#include "exchange/sync/ListSync.h"

#include "exchange/ICalendarExport.h"
#include "exchange/ICalendarImport.h"
#include "exchange/ICalendarValues.h"
#include "exchange/sync/CalDavClient.h"
#include "exchange/sync/SyncMatch.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/CrashPoint.h"

#include <QHash>
#include <QUuid>

#include <optional>

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

// The server's to-do of a calendar text; null when it holds none.
struct RemoteToDo
{
    ICalendarComponent root;
    icalcomponent* todo = nullptr;
};

RemoteToDo parseToDo(const QByteArray& calendar)
{
    RemoteToDo r;
    if (calendar.isEmpty())
        return r;
    r.root.reset(icalparser_parse_string(calendar.constData()));
    if (!r.root)
        return r;
    if (icalcomponent_isa(r.root.get()) == ICAL_VTODO_COMPONENT)
        r.todo = r.root.get();
    else
        r.todo = icalcomponent_get_first_component(r.root.get(), ICAL_VTODO_COMPONENT);
    return r;
}

QByteArray uidOf(icalcomponent* todo)
{
    const char* uid = icalcomponent_get_uid(todo);
    return uid ? QByteArray(uid) : QByteArray();
}

// The calendar text of after, edited from the one the server last gave for before.
QByteArray editedCalendar(const QByteArray& calendar, const ToDoItem& before, const ToDoItem& after)
{
    RemoteToDo r = parseToDo(calendar);
    if (!r.todo)
        return {};
    UpdateICalendarToDo(r.todo, before, after, Clock::now());
    return ICalendarSerialize(r.root.get());
}

// The list's own copy of an item that was changed on both sides: its Remarks say so.
ToDoItem conflictCopy(const ToDoItem& row)
{
    ToDoItem copy = row;
    QByteArray remarks = row.value(ToDoItem::Remarks).toByteArray();
    if (!remarks.isEmpty())
        remarks += "\r\n";
    remarks += CodePage::encodeLossy(
        QStringLiteral("[Conflict copy of %1: this item was changed here and on the server since the last "
                       "sync; the server's version is kept as well.]")
            .arg(Clock::now().toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    copy.setValue(ToDoItem::Remarks, remarks);
    return copy;
}

bool succeeded(const SyncResponse& r)
{
    return r.status >= 200 && r.status < 300;
}

// One round of a run: fetch what changed, match, merge, write to the server.
class Round
{
public:
    Round(CalDavClient& dav, const QUrl& collection, ToDoList& rows, SyncOutcome& out)
        : m_dav(dav), m_collection(collection), m_rows(rows), m_out(out), m_state(out.state)
    {
    }

    // False when the round could not be done (m_out.report says why); retry: a write met a 412, or new
    // items were written.
    bool run(bool& retry);

private:
    enum class Remote
    {
        Same,
        Changed,
        Gone
    };
    struct Write
    {
        enum Kind
        {
            New,
            Update,
            Delete
        } kind;
        SyncItemState item; // as it is to be recorded
        size_t entry;       // the state entry it replaces (Update, Delete)
    };

    void addWrite(Write::Kind kind, SyncItemState item, size_t entry, const QByteArray& condition);
    void putNew(const ToDoItem& row);
    // replaced[r]: the row's new content; removed[r]: the row goes.
    void applyRows(const std::vector<std::optional<ToDoItem>>& replaced, const std::vector<bool>& removed,
                   const std::vector<ToDoItem>& added);
    void fail(const SyncReport& report)
    {
        if (m_out.report.error.isEmpty()) {
            const int sent = m_out.report.sent, received = m_out.report.received,
                      deleted = m_out.report.deleted, conflicts = m_out.report.conflicts;
            m_out.report = report;
            m_out.report.ok = false;
            m_out.report.sent = sent;
            m_out.report.received = received;
            m_out.report.deleted = deleted;
            m_out.report.conflicts = conflicts;
        }
    }

    CalDavClient& m_dav;
    QUrl m_collection;
    ToDoList& m_rows;
    SyncOutcome& m_out;
    SyncState& m_state;
    std::vector<Write> m_writes;
    std::vector<SyncRequest> m_requests;
};

void Round::addWrite(Write::Kind kind, SyncItemState item, size_t entry, const QByteArray& condition)
{
    const QUrl url = m_dav.urlOf(m_collection, QString::fromUtf8(item.href));
    SyncRequest r = m_dav.request(kind == Write::Delete ? "DELETE" : "PUT", url,
                                  kind == Write::Delete ? QByteArray() : item.calendar);
    if (condition.isEmpty())
        r.headers.append({"If-None-Match", QByteArray("*")});
    else
        r.headers.append({"If-Match", condition});
    m_requests.push_back(std::move(r));
    m_writes.push_back({kind, std::move(item), entry});
}

void Round::putNew(const ToDoItem& row)
{
    SyncItemState item;
    item.uid = QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + "@quillmar";
    item.href =
        (m_collection.path(QUrl::FullyDecoded) + QString::fromLatin1(item.uid) + QLatin1String(".ics"))
            .toUtf8();
    item.base = row;
    item.calendar = ItemToICalendar(row, item.uid, Clock::now());
    addWrite(Write::New, std::move(item), 0, {});
}

void Round::applyRows(const std::vector<std::optional<ToDoItem>>& replaced, const std::vector<bool>& removed,
                      const std::vector<ToDoItem>& added)
{
    std::vector<ToDoItem> next;
    next.reserve(m_rows.items.size() + added.size());
    for (size_t r = 0; r < m_rows.items.size(); ++r) {
        ToDoItem& row = m_rows.items[r];
        if (removed[r]) {
            m_out.changes.push_back({SyncRowChange::Kind::Remove, {}, row, {}});
        } else if (replaced[r]) {
            m_out.changes.push_back({SyncRowChange::Kind::Update, {}, row, *replaced[r]});
            next.push_back(*replaced[r]);
        } else {
            next.push_back(std::move(row));
        }
    }
    for (const ToDoItem& item : added) {
        m_out.changes.push_back({SyncRowChange::Kind::Add, {}, {}, item});
        next.push_back(item);
    }
    m_rows.items = std::move(next);
}

bool Round::run(bool& retry)
{
    retry = false;
    DavChanges changes;
    if (!m_dav.changes(m_collection, m_state.syncToken, changes)) {
        fail(m_dav.error());
        return false;
    }

    // What the server did to each item of the last sync, and what it has that the state does not know.
    QHash<QString, size_t> byHref;
    for (size_t i = 0; i < m_state.items.size(); ++i)
        byHref.insert(QString::fromUtf8(m_state.items[i].href), i);
    std::vector<Remote> remote(m_state.items.size(), changes.full ? Remote::Gone : Remote::Same);
    std::vector<DavMember> wanted;
    std::vector<qsizetype> wantedEntry; // -1 for an item new to the state
    for (DavMember& m : changes.members) {
        const auto it = byHref.constFind(m.href);
        if (it == byHref.constEnd()) {
            if (!m.gone) {
                wanted.push_back(m);
                wantedEntry.push_back(-1);
            }
            continue;
        }
        SyncItemState& item = m_state.items[*it];
        if (m.gone) {
            remote[*it] = Remote::Gone;
        } else if (m.etag.isEmpty() || m.etag != item.etag) {
            remote[*it] = Remote::Changed;
            wanted.push_back(m);
            wantedEntry.push_back(qsizetype(*it));
        } else {
            remote[*it] = Remote::Same;
        }
    }
    if (!m_dav.fetch(m_collection, wanted)) {
        fail(m_dav.error());
        return false;
    }

    // The server's versions as rows; members that hold no to-do are not the list's business.
    std::vector<std::optional<ToDoItem>> remoteItem(m_state.items.size());
    std::vector<DavMember> fetched(m_state.items.size());
    struct NewRemote
    {
        DavMember member;
        QByteArray uid;
        ToDoItem item;
    };
    std::vector<NewRemote> newRemote;
    for (size_t w = 0; w < wanted.size(); ++w) {
        const qsizetype e = wantedEntry[w];
        RemoteToDo parsed = wanted[w].gone ? RemoteToDo() : parseToDo(wanted[w].calendar);
        if (e < 0) {
            if (parsed.todo)
                newRemote.push_back({wanted[w], uidOf(parsed.todo), ICalendarToDoItem(parsed.todo)});
            continue;
        }
        if (wanted[w].gone) {
            remote[size_t(e)] = Remote::Gone;
        } else if (!parsed.todo) {
            remote[size_t(e)] = Remote::Same;
        } else {
            remoteItem[size_t(e)] = ICalendarToDoItem(parsed.todo);
            fetched[size_t(e)] = wanted[w];
        }
    }

    std::vector<const ToDoItem*> bases, remotes;
    for (size_t e = 0; e < m_state.items.size(); ++e) {
        bases.push_back(&m_state.items[e].base);
        remotes.push_back(remoteItem[e] ? &*remoteItem[e] : nullptr);
    }
    const SyncMatch match = MatchSyncRows(m_rows.items, bases, remotes);

    std::vector<std::optional<ToDoItem>> replaced(m_rows.items.size());
    std::vector<bool> removed(m_rows.items.size(), false);
    std::vector<ToDoItem> added;
    std::vector<bool> dropEntry(m_state.items.size(), false);
    for (size_t e = 0; e < m_state.items.size(); ++e) {
        SyncItemState& item = m_state.items[e];
        const int row = match.rowOfEntry[e];
        const bool localGone = row < 0;
        const bool localChanged = !localGone && !(m_rows.items[size_t(row)] == item.base);
        const auto takeRemote = [&] {
            item.base = *remoteItem[e];
            item.etag = fetched[e].etag;
            item.calendar = fetched[e].calendar;
        };
        switch (remote[e]) {
        case Remote::Same:
            if (localGone) {
                addWrite(Write::Delete, item, e, item.etag);
            } else if (localChanged) {
                SyncItemState next = item;
                next.base = m_rows.items[size_t(row)];
                next.calendar = editedCalendar(item.calendar, item.base, next.base);
                if (next.calendar.isEmpty())
                    next.calendar = ItemToICalendar(next.base, item.uid, Clock::now());
                addWrite(Write::Update, std::move(next), e, item.etag);
            }
            break;
        case Remote::Changed: {
            const ToDoItem& theirs = *remoteItem[e];
            if (localGone) {
                // Deleted here, changed there: the changed one stays.
                added.push_back(theirs);
                takeRemote();
                ++m_out.report.received;
                m_out.notes << QStringLiteral(
                                   "\"%1\" was deleted here but changed on the server: it is kept.")
                                   .arg(theirs.actionText());
            } else if (!localChanged || m_rows.items[size_t(row)] == theirs) {
                if (!(m_rows.items[size_t(row)] == theirs)) {
                    replaced[size_t(row)] = theirs;
                    ++m_out.report.received;
                }
                takeRemote();
            } else {
                // Changed on both sides: the server's version in the row, the list's one as a copy.
                const ToDoItem ours = m_rows.items[size_t(row)];
                replaced[size_t(row)] = theirs;
                takeRemote();
                const ToDoItem copy = conflictCopy(ours);
                added.push_back(copy);
                putNew(copy);
                ++m_out.report.received;
                ++m_out.report.conflicts;
                m_out.notes << QStringLiteral(
                                   "\"%1\" was changed here and on the server: both versions are kept.")
                                   .arg(ours.actionText());
            }
            break;
        }
        case Remote::Gone:
            if (localGone) {
                dropEntry[e] = true;
            } else if (localChanged) {
                // Changed here, deleted there: the changed one goes back to the server.
                SyncItemState next = item;
                next.base = m_rows.items[size_t(row)];
                next.calendar = editedCalendar(item.calendar, item.base, next.base);
                if (next.calendar.isEmpty())
                    next.calendar = ItemToICalendar(next.base, item.uid, Clock::now());
                dropEntry[e] = true;
                addWrite(Write::New, std::move(next), e, {});
                m_out.notes << QStringLiteral(
                                   "\"%1\" was deleted on the server but changed here: it is kept.")
                                   .arg(m_rows.items[size_t(row)].actionText());
            } else {
                removed[size_t(row)] = true;
                dropEntry[e] = true;
                ++m_out.report.deleted;
            }
            break;
        }
    }

    // New rows: one the server already has (sent by a run that died before recording it) is paired with
    // it; the others are sent.
    QHash<QByteArray, std::vector<size_t>> newRemoteByContent;
    for (size_t n = 0; n < newRemote.size(); ++n)
        newRemoteByContent[SyncItemKey(newRemote[n].item)].push_back(n);
    std::vector<bool> newRemotePaired(newRemote.size(), false);
    const auto record = [&](const NewRemote& n, const ToDoItem& base) {
        m_state.items.push_back({n.uid, n.member.href.toUtf8(), n.member.etag, base, n.member.calendar});
        dropEntry.push_back(false);
    };
    for (size_t r = 0; r < m_rows.items.size(); ++r) {
        if (match.entryOfRow[r] >= 0)
            continue;
        auto it = newRemoteByContent.find(SyncItemKey(m_rows.items[r]));
        if (it != newRemoteByContent.end() && !it->empty()) {
            const size_t n = it->front();
            it->erase(it->begin());
            newRemotePaired[n] = true;
            record(newRemote[n], m_rows.items[r]);
            continue;
        }
        putNew(m_rows.items[r]);
    }
    for (size_t n = 0; n < newRemote.size(); ++n) {
        if (newRemotePaired[n])
            continue;
        added.push_back(newRemote[n].item);
        record(newRemote[n], newRemote[n].item);
        ++m_out.report.received;
    }
    applyRows(replaced, removed, added);

    // The writes, all at once; each answer decides alone what is recorded.
    CrashPoint::reach("sync: before the server writes");
    const std::vector<SyncResponse> answers = m_dav.transport().exchange(m_requests);
    // Dying here leaves writes the state does not record: the next run finds them by content.
    CrashPoint::reach("sync: server written");
    std::vector<SyncItemState> sentNew;
    for (size_t w = 0; w < m_writes.size(); ++w) {
        Write& write = m_writes[w];
        const SyncResponse& answer = answers[w];
        if (write.kind == Write::Delete && (succeeded(answer) || answer.status == 404)) {
            dropEntry[write.entry] = true;
            ++m_out.report.deleted;
        } else if (succeeded(answer)) {
            write.item.etag = answer.header("ETag");
            ++m_out.report.sent;
            // A server may leave out of the changes since a token the items made after it and deleted
            // since (RFC 6578, 3.5.1): the token must come from after these writes.
            retry = retry || write.kind == Write::New;
            if (write.kind == Write::Update)
                m_state.items[write.entry] = std::move(write.item);
            else
                sentNew.push_back(std::move(write.item));
        } else if (answer.status == 412) {
            // Another client changed the item meanwhile: fetched and merged in the next round.
            retry = true;
        } else {
            fail(m_dav.failure(answer, m_requests[w].url));
        }
    }
    std::vector<SyncItemState> kept;
    kept.reserve(m_state.items.size() + sentNew.size());
    for (size_t e = 0; e < m_state.items.size(); ++e) {
        if (!dropEntry[e])
            kept.push_back(std::move(m_state.items[e]));
    }
    for (SyncItemState& item : sentNew)
        kept.push_back(std::move(item));
    m_state.items = std::move(kept);
    // The token stands for the listing every item was compared with; a failed write is met again anyway,
    // as its row still differs from what the state recorded.
    m_state.syncToken = changes.syncToken;
    return m_out.report.error.isEmpty();
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
                          const SyncState& state)
{
    SyncOutcome out;
    const QUrl url = collectionUrl(collection);
    out.state = state;
    if (collectionUrl(state.collection) != url) {
        out.state = SyncState();
        out.state.collection = url;
    }
    CalDavClient dav(m_transport, account);
    ToDoList current = rows;
    bool retry = true;
    for (int round = 0; round < kMaxRounds && retry; ++round) {
        Round r(dav, url, current, out);
        if (!r.run(retry))
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
