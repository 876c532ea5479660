#pragma once

#include "exchange/sync/SyncService.h"
#include "exchange/sync/SyncState.h"
#include "exchange/sync/SyncTransport.h"
#include "model/ToDoList.h"

#include <QList>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <vector>

// Two-way sync of a list with a CalDAV task collection (RFC 4791).
//
// A run is blocking and needs no window: the window runs it on a worker thread with a snapshot of its
// rows and applies what comes back; the command line runs it on the list file it holds.
//
// Rules of a run:
// - every write to the server is conditional: a new item is sent with If-None-Match: *, a change and a
//   deletion with If-Match on the ETag of the last sync. A 412 means the server's item changed meanwhile: it
//   is fetched and merged (in the same run when it can, else in the next one), never overwritten;
// - server changes are found with sync-collection (RFC 6578) where the collection offers it, else by
//   comparing every item's ETag;
// - rows carry no ID in the list file: they are matched to the UIDs of the state by their content as it
//   was at the last sync, then by the server's current content, then by the nearest alike row; the rest
//   are new. A new row is also matched to a server item the state does not know when their content is
//   the same, so that a run that died after sending never gives a duplicate;
// - a change sent to the server edits the component last fetched: only the properties the list maps are
//   rewritten, everything else (repeat rules, sub-task links, other programs' X- properties, further
//   alarms) stays;
// - changed on both sides: both are kept, the server's version in the row and the list's one as a new row
//   whose Remarks say that it is a conflict copy; changed on one side and deleted on the other: the
//   changed one stays; a row deleted in the list deletes the server's item only when the server did not
//   change it since the last sync.
//
// Order for crash safety: the state records what the list is to get (pending as Received or Removed) and
// what is being sent (pending as Sent) before the server is written (through the journal) and before the
// list is saved. The next run settles what is pending: a received row the list file never got is added
// again (never read as deleted in the list), and a new item sent without an answer is looked for on the
// server and sent again only when it is not there. Once the list is saved the caller may settle the
// received ones (SyncState::settleReceived) and save the state again.

struct SyncOutcome
{
    SyncReport report;
    // Server to list, in the order to apply them.
    std::vector<SyncRowChange> changes;
    // What to save beside the list once the list with the changes is saved. Also set when the run failed
    // half-way: it then records what did reach the server.
    SyncState state;
    // Lines for the user about what needs attention (conflicts, items kept although deleted elsewhere).
    QStringList notes;
};

// Saves the state before the run writes to the server (the command line's state file; the window may save
// it too); a failure stops the run before its writes.
using SyncJournal = std::function<IoResult(const SyncState&)>;

class ListSync
{
public:
    // The transport must outlive the ListSync and is used from the thread that calls it.
    explicit ListSync(SyncTransport& transport);

    // The task collections that account.url leads to: the URL itself when it is one, else those found
    // from the server (well-known URL, current principal, calendar home) that hold VTODOs.
    SyncReport findCollections(const SyncAccount& account, QList<SyncCollection>& found);
    // One two-way run of rows (a snapshot of the list) with the collection. A state of another collection
    // (or none) starts afresh, matching by content.
    SyncOutcome run(const SyncAccount& account, const QUrl& collection, const ToDoList& rows,
                    const SyncState& state, const SyncJournal& journal = {});

private:
    SyncTransport& m_transport;
};

// Applies a run's changes to list: an Update or Remove only to a row that still equals before (the first
// such row), an Add appended. Returns how many could not be applied because the row changed meanwhile; the
// next run then meets that row again and merges it.
int ApplySyncChanges(ToDoList& list, const std::vector<SyncRowChange>& changes);

// Plain HTTP goes only to this machine; true when url would send the password elsewhere in clear text.
bool SyncUrlIsInsecure(const QUrl& url);
