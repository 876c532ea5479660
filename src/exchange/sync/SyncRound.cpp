#include "exchange/sync/SyncRound.h"

#include "config/IoMessage.h"
#include "config/LanguageTexts.h"
#include "exchange/ICalendarImport.h"
#include "exchange/ICalendarUpdate.h"
#include "exchange/ICalendarValues.h"
#include "exchange/sync/CalDavClient.h"
#include "exchange/sync/SyncMatch.h"
#include "exchange/sync/SyncVersions.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/CrashPoint.h"

#include <QHash>
#include <QUuid>

namespace {
bool succeeded(const SyncResponse& r)
{
    return r.status >= 200 && r.status < 300;
}

} // namespace

void SyncRound::addWrite(Write::Kind kind, SyncItemState item, size_t entry, const QByteArray& condition)
{
    const QUrl url = m_dav.urlOf(m_collection, QString::fromUtf8(item.href));
    SyncRequest r = m_dav.request(kind == Write::Delete ? "DELETE" : "PUT", url,
                                  kind == Write::Delete ? QByteArray() : item.calendar);
    if (condition.isEmpty())
        r.headers.append({"If-None-Match", QByteArray("*")});
    else
        r.headers.append({"If-Match", condition});
    m_requests.push_back(std::move(r));
    if (kind == Write::New) {
        // Recorded before it is sent: a run that dies before the answer leaves it to the next one.
        item.pending = Pending::Sent;
        item.etag.clear();
        item.previous.reset();
        m_state.items.push_back(item);
        m_drop.push_back(false);
        entry = m_state.items.size() - 1;
    }
    m_writes.push_back({kind, std::move(item), entry});
}

void SyncRound::putNew(const ToDoItem& row, bool toList)
{
    SyncItemState item;
    item.uid = QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + "@quillmar";
    item.href =
        (m_collection.path(QUrl::FullyDecoded) + QString::fromLatin1(item.uid) + QLatin1String(".ics"))
            .toUtf8();
    item.base = row;
    item.calendar = ItemToICalendar(row, item.uid, Clock::now());
    addWrite(Write::New, std::move(item), 0, {});
    if (toList)
        m_state.items.back().pending = Pending::SentReceived;
}

void SyncRound::applyRows(const std::vector<std::optional<ToDoItem>>& replaced,
                          const std::vector<bool>& removed, const std::vector<ToDoItem>& added)
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

void SyncRound::settlePending()
{
    std::vector<std::optional<ToDoItem>> replaced(m_rows.items.size());
    std::vector<bool> removed(m_rows.items.size(), false), used(m_rows.items.size(), false);
    std::vector<ToDoItem> added;
    const auto rowEqual = [&](const ToDoItem& item) -> int {
        for (size_t r = 0; r < m_rows.items.size(); ++r) {
            if (!used[r] && m_rows.items[r] == item)
                return int(r);
        }
        return -1;
    };
    // What is applied again stays pending until the list with it is saved.
    bool any = false;
    m_stale.assign(m_state.items.size(), false);
    m_deletedThere.assign(m_state.items.size(), false);
    for (size_t e = 0; e < m_state.items.size(); ++e) {
        SyncItemState& item = m_state.items[e];
        const bool copy = item.pending == Pending::SentReceived;
        if (item.pending == Pending::Received || copy) {
            any = true;
            if (const int r = rowEqual(item.base); r >= 0) {
                used[size_t(r)] = true;
                item.pending = copy ? Pending::Sent : Pending::None;
                item.previous.reset();
            } else if (const int p = item.previous ? rowEqual(*item.previous) : -1; p >= 0) {
                used[size_t(p)] = true;
                replaced[size_t(p)] = item.base;
            } else if (!item.previous) {
                added.push_back(item.base);
            } else {
                // The row the list file has was changed since: both sides changed previous.
                item.pending = Pending::None;
                m_stale[e] = true;
            }
        } else if (item.pending == Pending::Removed) {
            any = true;
            if (const int p = item.previous ? rowEqual(*item.previous) : -1; p >= 0) {
                used[size_t(p)] = true;
                removed[size_t(p)] = true;
            } else if (item.previous) {
                // The row was changed (or deleted) here since the server deleted the item: an entry again,
                // deleted there, so that the changed row goes back to the server under its own UID (or
                // meets the version another client put there since) instead of coming back as new.
                item.pending = Pending::None;
                item.base = *item.previous;
                item.previous.reset();
                m_deletedThere[e] = true;
            }
        }
    }
    if (any)
        applyRows(replaced, removed, added);
}

bool SyncRound::run(bool first, bool& retry)
{
    retry = false;
    if (first)
        settlePending();
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
        if (item.pending == Pending::Removed) {
            // Deleted there, and made again since (by a client that kept its changed copy): a new item.
            if (!m.gone) {
                wanted.push_back(m);
                wantedEntry.push_back(-1);
            }
            continue;
        }
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
    for (size_t e = 0; e < m_deletedThere.size(); ++e) {
        if (m_deletedThere[e] && remote[e] == Remote::Same)
            remote[e] = Remote::Gone;
    }
    m_deletedThere.clear();

    // A task list made anew (deleted and made again: the server no longer knows the token, or a server
    // without tokens holds nothing at all): every item the last sync left there is gone and nothing else
    // is there. Its rows are not read as deleted there; the state starts afresh, and the next round sends
    // them again. Items deleted one by one elsewhere, last one included, go as they should.
    qsizetype wasThere = 0;
    bool allGone = true;
    for (size_t e = 0; e < m_state.items.size(); ++e) {
        const Pending p = m_state.items[e].pending;
        if (p == Pending::None || p == Pending::Received) {
            ++wasThere;
            allGone = allGone && remote[e] == Remote::Gone;
        }
    }
    const bool nothingThere = std::none_of(changes.members.cbegin(), changes.members.cend(),
                                           [](const DavMember& m) { return !m.gone; });
    if (wasThere > 0 && allGone && nothingThere && (changes.tokenRefused || changes.syncToken.isEmpty())) {
        m_state.items.clear();
        m_state.syncToken.clear();
        m_stale.clear();
        m_drop.clear();
        m_out.notes << LanguageTexts::shared().text("SyncErrors", "EmptyServer").arg(wasThere);
        retry = true;
        return true;
    }
    // A new item sent without an answer is not among the changes when it never arrived: it is looked for.
    for (size_t e = 0; e < m_state.items.size(); ++e) {
        const Pending p = m_state.items[e].pending;
        if (remote[e] == Remote::Same && (p == Pending::Sent || p == Pending::SentReceived)) {
            remote[e] = Remote::Changed;
            wanted.push_back({QString::fromUtf8(m_state.items[e].href), {}, {}, false});
            wantedEntry.push_back(qsizetype(e));
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
            const SyncItemState& item = m_state.items[size_t(e)];
            remoteItem[size_t(e)] = mergedRemote(ICalendarToDoItem(parsed.todo), item.base, item.calendar);
            fetched[size_t(e)] = wanted[w];
        }
    }

    // Items the server deleted whose rows went are done with; they stay only to be recorded.
    std::vector<size_t> active;
    std::vector<const ToDoItem*> bases, remotes;
    for (size_t e = 0; e < m_state.items.size(); ++e) {
        if (m_state.items[e].pending == Pending::Removed)
            continue;
        active.push_back(e);
        const bool stale = e < m_stale.size() && m_stale[e];
        bases.push_back(stale ? &*m_state.items[e].previous : &m_state.items[e].base);
        remotes.push_back(remoteItem[e] ? &*remoteItem[e] : nullptr);
    }
    const SyncMatch match = MatchSyncRows(m_rows.items, bases, remotes);
    std::vector<int> rowOf(m_state.items.size(), -1);
    for (size_t i = 0; i < active.size(); ++i)
        rowOf[active[i]] = match.rowOfEntry[i];

    std::vector<std::optional<ToDoItem>> replaced(m_rows.items.size());
    std::vector<bool> removed(m_rows.items.size(), false);
    std::vector<ToDoItem> added;
    const size_t known = m_state.items.size();
    m_drop.assign(known, false);
    // A stale entry merges from previous: the server's version is base, or a newer one fetched now.
    for (size_t e = 0; e < std::min(known, m_stale.size()); ++e) {
        SyncItemState& item = m_state.items[e];
        if (!m_stale[e])
            continue;
        if (remote[e] == Remote::Same) {
            remote[e] = Remote::Changed;
            remoteItem[e] = item.base;
            fetched[e] = {QString::fromUtf8(item.href), item.etag, item.calendar, false};
        }
        // The stored text is the server's version: edited to show previous, as every later edit of it
        // expects it to show base (else a row sent back would take along the server's changes unseen).
        const ToDoItem server = item.base;
        item.base = *item.previous;
        item.previous.reset();
        if (QByteArray text = editedCalendar(item.calendar, server, item.base); !text.isEmpty())
            item.calendar = std::move(text);
    }
    m_stale.clear();
    // Server items the state does not know, by content: a row without an entry, or one whose item the
    // server forgot, is paired with an equal one instead of being sent as a duplicate.
    QHash<QByteArray, std::vector<size_t>> newRemoteByContent;
    for (size_t n = 0; n < newRemote.size(); ++n)
        newRemoteByContent[SyncItemKey(newRemote[n].item)].push_back(n);
    std::vector<bool> newRemotePaired(newRemote.size(), false);
    const auto record = [&](const NewRemote& n, Pending pending) {
        m_state.items.push_back(
            {n.uid, n.member.href.toUtf8(), n.member.etag, n.item, n.member.calendar, pending, std::nullopt});
        m_drop.push_back(false);
    };
    const auto pairNew = [&](const ToDoItem& row) {
        auto it = newRemoteByContent.find(SyncItemKey(row));
        if (it == newRemoteByContent.end() || it->empty())
            return false;
        const size_t n = it->front();
        it->erase(it->begin());
        newRemotePaired[n] = true;
        record(newRemote[n], Pending::None);
        return true;
    };
    qsizetype resent = 0, restored = 0;
    // Entries are added below while others are held by reference: room for every one there can be.
    m_state.items.reserve(2 * known + m_rows.items.size() + newRemote.size());
    for (size_t e = 0; e < known; ++e) {
        SyncItemState& item = m_state.items[e];
        if (item.pending == Pending::Removed)
            continue;
        const int row = rowOf[e];
        const bool localGone = row < 0;
        const bool localChanged = !localGone && !(m_rows.items[size_t(row)] == item.base);
        const auto takeRemote = [&] {
            item.base = *remoteItem[e];
            item.etag = fetched[e].etag;
            item.calendar = fetched[e].calendar;
            // Confirmed on the server; still to reach the list file when this run received it.
            const bool toList = item.pending == Pending::Received || item.pending == Pending::SentReceived;
            item.pending = toList ? Pending::Received : Pending::None;
        };
        // What the list needs, recorded first so that a list never saved gets it from the next run.
        // An item already pending keeps the row the list file has (or none): that is what is replaced.
        const auto receive = [&](std::optional<ToDoItem> previous) {
            if (item.pending != Pending::Received)
                item.previous = std::move(previous);
            item.pending = Pending::Received;
            ++m_out.report.received;
        };
        // Nothing the list shows changed there (another client's own properties, or this program's write
        // that a run did not live to record): the new text and ETag are what later changes build on.
        if (remote[e] == Remote::Changed && *remoteItem[e] == item.base) {
            takeRemote();
            remote[e] = Remote::Same;
        }
        // Sent as new without an answer, and not found on the server since.
        const bool sent = item.pending == Pending::Sent || item.pending == Pending::SentReceived;
        switch (remote[e]) {
        case Remote::Same:
            if (localGone && m_state.listOlder && item.pending == Pending::None) {
                // The list file is older than at the last sync (a copy put back): a row missing in it
                // proves no deletion. It comes back from the server.
                added.push_back(item.base);
                receive(std::nullopt);
                ++restored;
            } else if (localGone) {
                addWrite(Write::Delete, item, e, item.etag);
            } else if (localChanged) {
                SyncItemState next = item;
                next.base = m_rows.items[size_t(row)];
                next.calendar = editedCalendar(item.calendar, item.base, next.base);
                if (next.calendar.isEmpty())
                    next.calendar = ItemToICalendar(next.base, item.uid, Clock::now());
                if (sent) {
                    m_drop[e] = true;
                    addWrite(Write::New, std::move(next), e, {});
                    m_state.items.back().pending =
                        item.pending == Pending::SentReceived ? Pending::SentReceived : Pending::Sent;
                } else {
                    addWrite(Write::Update, std::move(next), e, item.etag);
                }
            }
            break;
        case Remote::Changed: {
            const ToDoItem& theirs = *remoteItem[e];
            if (localGone) {
                // Deleted here, changed there: the changed one stays.
                added.push_back(theirs);
                takeRemote();
                receive(std::nullopt);
                m_out.notes << QStringLiteral(
                                   "\"%1\" was deleted here but changed on the server: it is kept.")
                                   .arg(theirs.actionText());
            } else if (!localChanged || m_rows.items[size_t(row)] == theirs) {
                const ToDoItem ours = m_rows.items[size_t(row)];
                takeRemote();
                if (!(ours == theirs)) {
                    replaced[size_t(row)] = theirs;
                    receive(ours);
                }
            } else {
                // Changed on both sides: the server's version in the row, the list's one as a copy.
                const ToDoItem ours = m_rows.items[size_t(row)];
                replaced[size_t(row)] = theirs;
                takeRemote();
                receive(ours);
                const ToDoItem copy = conflictCopy(ours);
                added.push_back(copy);
                putNew(copy, true);
                ++m_out.report.conflicts;
                m_out.notes << QStringLiteral(
                                   "\"%1\" was changed here and on the server: both versions are kept.")
                                   .arg(ours.actionText());
            }
            break;
        }
        case Remote::Gone:
            m_drop[e] = true;
            if (localGone)
                break;
            if (localChanged || sent) {
                // Changed here, deleted there: the changed one goes back to the server (as does a new
                // item whose sending a run did not live to see answered).
                SyncItemState next = item;
                next.base = m_rows.items[size_t(row)];
                next.calendar = ItemToICalendar(next.base, item.uid, Clock::now());
                if (!sent) {
                    next.calendar = editedCalendar(item.calendar, item.base, next.base);
                    m_out.notes << QStringLiteral(
                                       "\"%1\" was deleted on the server but changed here: it is kept.")
                                       .arg(m_rows.items[size_t(row)].actionText());
                }
                addWrite(Write::New, std::move(next), e, {});
                if (item.pending == Pending::SentReceived)
                    m_state.items.back().pending = Pending::SentReceived;
            } else if (changes.tokenRefused) {
                // The server no longer knows the last sync (the task list was made anew, or its history
                // is gone): missing there proves no deletion. The row goes back, or meets its equal.
                if (!pairNew(m_rows.items[size_t(row)])) {
                    SyncItemState next = item;
                    next.calendar = ItemToICalendar(item.base, item.uid, Clock::now());
                    addWrite(Write::New, std::move(next), e, {});
                    ++resent;
                }
            } else {
                removed[size_t(row)] = true;
                m_drop[e] = false;
                item.pending = Pending::Removed;
                item.previous = m_rows.items[size_t(row)];
                ++m_out.report.deleted;
            }
            break;
        }
    }

    // New rows: one the server already has (sent by a run that died before recording it) is paired with
    // it; the others are sent.
    for (size_t r = 0; r < m_rows.items.size(); ++r) {
        if (match.entryOfRow[r] < 0 && !pairNew(m_rows.items[r]))
            putNew(m_rows.items[r]);
    }
    if (restored > 0)
        m_out.notes << LanguageTexts::shared().text("SyncErrors", "ListOlder").arg(restored);
    if (resent > 0)
        m_out.notes << LanguageTexts::shared().text("SyncErrors", "TokenRefused").arg(resent);
    for (size_t n = 0; n < newRemote.size(); ++n) {
        if (newRemotePaired[n])
            continue;
        added.push_back(newRemote[n].item);
        record(newRemote[n], Pending::Received);
        ++m_out.report.received;
    }
    applyRows(replaced, removed, added);

    // The token stands for the listing every item was compared with, and the state now holds all it named
    // (what the list is to get marked pending): saved without it, a run that dies here would ask next time
    // for the changes since an older token, which may leave out an item made and deleted since (RFC 6578,
    // 3.5.1) that this state already holds. A failed write is met again anyway, as its row still differs
    // from what the state recorded.
    m_state.syncToken = changes.syncToken;
    // The state before the writes: what the list is to get and what is being sent.
    if (m_journal && (!m_writes.empty() || !m_out.changes.empty())) {
        // Without the entries that go already (one sent again under a new entry must not be there twice).
        SyncState journal;
        journal.collection = m_state.collection;
        journal.list = m_state.list;
        journal.listModifiedNs = m_state.listModifiedNs;
        journal.syncToken = m_state.syncToken;
        for (size_t e = 0; e < m_state.items.size(); ++e) {
            if (!m_drop[e])
                journal.items.push_back(m_state.items[e]);
        }
        if (const IoResult r = m_journal(journal); !r) {
            SyncReport report;
            report.error = IoMessage(r);
            fail(report);
            return false;
        }
    }
    // The writes, all at once; each answer decides alone what is recorded.
    CrashPoint::reach("sync: before the server writes");
    const std::vector<SyncResponse> answers = m_dav.transport().exchange(m_requests);
    // Dying here leaves writes the state does not record: the next run finds them by content.
    CrashPoint::reach("sync: server written");
    for (size_t w = 0; w < m_writes.size(); ++w) {
        Write& write = m_writes[w];
        const SyncResponse& answer = answers[w];
        if (write.kind == Write::Delete && (succeeded(answer) || answer.status == 404)) {
            m_drop[write.entry] = true;
            ++m_out.report.deleted;
        } else if (succeeded(answer)) {
            ++m_out.report.sent;
            SyncItemState& entry = m_state.items[write.entry];
            if (write.kind == Write::Update)
                entry = std::move(write.item);
            entry.etag = answer.header("ETag");
            entry.pending = entry.pending == Pending::SentReceived ? Pending::Received : Pending::None;
            // A server may leave out of the changes since a token the items made after it and deleted
            // since (RFC 6578, 3.5.1): the token must come from after these writes.
            retry = retry || write.kind == Write::New;
        } else if (answer.status == 412) {
            // Another client changed the item meanwhile: fetched and merged in the next round.
            retry = true;
            if (write.kind == Write::New)
                m_drop[write.entry] = true;
        } else {
            // A new item that got an answer did not reach the server; without one it may have.
            if (write.kind == Write::New && answer.answered())
                m_drop[write.entry] = true;
            fail(m_dav.failure(answer, m_requests[w].url));
        }
    }
    std::vector<SyncItemState> kept;
    kept.reserve(m_state.items.size());
    for (size_t e = 0; e < m_state.items.size(); ++e) {
        if (!m_drop[e])
            kept.push_back(std::move(m_state.items[e]));
    }
    m_state.items = std::move(kept);
    return m_out.report.error.isEmpty();
}
