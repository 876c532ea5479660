#pragma once

#include "exchange/sync/ListSync.h"

#include <optional>
#include <vector>

class CalDavClient;

// One round of a run: settle what the last run left pending, fetch what changed, match, merge, write to
// the server. Only ListSync runs rounds (the rules are its); a round works on the run's rows, outcome and
// state, which it is given by reference.
class SyncRound
{
public:
    SyncRound(CalDavClient& dav, const QUrl& collection, ToDoList& rows, SyncOutcome& out,
              const SyncJournal& journal)
        : m_dav(dav), m_collection(collection), m_rows(rows), m_out(out), m_state(out.state),
          m_journal(journal)
    {
    }

    // False when the round could not be done (m_out.report says why); retry: a write met a 412, or new
    // items were written.
    // first: the run's first round, which settles what the last run left pending (later rounds leave what
    // this run marked pending alone: the list is saved only after them).
    bool run(bool first, bool& retry);

private:
    using Pending = SyncItemState::Pending;

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
        SyncItemState item; // Update: the entry as it is to be once written
        size_t entry;       // the state entry written (for New one made pending as Sent)
    };

    void settlePending();
    void addWrite(Write::Kind kind, SyncItemState item, size_t entry, const QByteArray& condition);
    // toList: the row is one the list is to get too (a conflict copy).
    void putNew(const ToDoItem& row, bool toList = false);
    // replaced[r]: the row's new content; removed[r]: the row goes.
    void applyRows(const std::vector<std::optional<ToDoItem>>& replaced, const std::vector<bool>& removed,
                   const std::vector<ToDoItem>& added);
    void fail(const SyncReport& report)
    {
        if (m_out.report.error.isEmpty()) {
            const SyncReport counts = m_out.report;
            m_out.report = report;
            m_out.report.ok = false;
            m_out.report.sent = counts.sent;
            m_out.report.received = counts.received;
            m_out.report.deleted = counts.deleted;
            m_out.report.conflicts = counts.conflicts;
        }
    }

    CalDavClient& m_dav;
    QUrl m_collection;
    ToDoList& m_rows;
    SyncOutcome& m_out;
    SyncState& m_state;
    const SyncJournal& m_journal;
    std::vector<Write> m_writes;
    std::vector<SyncRequest> m_requests;
    // Entries that go once the round is done.
    std::vector<bool> m_drop;
    // Entries received by a run whose list was not saved, and whose old row was changed since: previous
    // is the version both sides changed, base the server's, and the row is matched by previous.
    std::vector<bool> m_stale;
    // Entries deleted on the server by a run whose list was not saved, whose row was changed since: the
    // changes since the token do not name them again.
    std::vector<bool> m_deletedThere;
};
