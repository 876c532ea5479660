#include "model/HistoryLedger.h"

#include "config/IoMessage.h"

#include <algorithm>

HistoryLedger::HistoryLedger(const QString& historyPath, const QString& standardList)
    : m_historyPath(historyPath), m_standardList(standardList), m_journal(historyPath)
{
}

HistoryTail::BeforeAppend HistoryLedger::noteFor(bool fromStandardList) const
{
    if (!fromStandardList)
        return {};
    return [journal = m_journal, list = m_standardList](HistoryTail::Point at, QByteArrayView records,
                                                        qint32 count) mutable {
        return journal.note(list, at, records, count);
    };
}

void HistoryLedger::standardListSaved(quint64 generation)
{
    if (m_journalGeneration && generation >= *m_journalGeneration)
        forgetMoves();
}

void HistoryLedger::forgetMoves()
{
    m_journal.clear();
    m_journalGeneration.reset();
}

QList<int> HistoryLedger::interruptedRows(const ToDoList& shown)
{
    const QList<int> rows = m_journal.interruptedRows(m_standardList, shown);
    if (rows.isEmpty())
        m_journal.clear();
    return rows;
}

bool HistoryLedger::takeBackDeferredCut(const RowChange& change)
{
    if (m_pendingCuts.empty() || m_pendingCuts.back().change.id() != change.id())
        return false;
    m_pendingCuts.pop_back();
    return true;
}

bool HistoryLedger::canDeferCut(const RowChange& change) const
{
    // Several moves taken back in a row: the later ones' rows, still in the file, follow this one's.
    std::vector<const RowChange*> behind;
    for (const PendingCut& cut : m_pendingCuts)
        if (cut.change.historyOffset() > change.historyOffset())
            behind.push_back(&cut.change);
    std::sort(behind.begin(), behind.end(),
              [](const RowChange* a, const RowChange* b) { return a->historyOffset() < b->historyOffset(); });
    QByteArray following;
    qint32 count = 0;
    for (const RowChange* later : behind) {
        following += later->historyRecords();
        count += later->rowCount();
    }
    return change.rowsEndHistory(m_historyPath, following, count);
}

QStringList HistoryLedger::cutUndoneMoves(quint64 savedGeneration)
{
    std::vector<RowChange> due;
    const auto kept = std::stable_partition(
        m_pendingCuts.begin(), m_pendingCuts.end(),
        [savedGeneration](const PendingCut& cut) { return cut.generation >= savedGeneration; });
    for (auto it = kept; it != m_pendingCuts.end(); ++it)
        due.push_back(std::move(it->change));
    m_pendingCuts.erase(kept, m_pendingCuts.end());
    // The rows nearest the history's end first, whatever order the moves were taken back in: each cut
    // then takes the file's last records, at the cost of the rows, and the move that made the file takes
    // it away again once it is empty.
    std::stable_sort(due.begin(), due.end(), [](const RowChange& a, const RowChange& b) {
        return a.historyOffset() > b.historyOffset();
    });
    QStringList failed;
    for (const RowChange& change : due)
        if (const IoResult r = change.undoFiles(m_historyPath); !r)
            failed << IoMessage(r);
    return failed;
}
