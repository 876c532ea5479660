#include "model/HistoryLedger.h"

#include "config/IoMessage.h"

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

QStringList HistoryLedger::cutUndoneMoves(quint64 savedGeneration)
{
    QStringList failed;
    // Last taken back first: a later move's rows follow an earlier one's in the history.
    while (!m_pendingCuts.empty() && m_pendingCuts.back().generation < savedGeneration) {
        const RowChange change = std::move(m_pendingCuts.back().change);
        m_pendingCuts.pop_back();
        if (const IoResult r = change.undoFiles(m_historyPath); !r)
            failed << IoMessage(r);
    }
    return failed;
}
