#include "model/HistoryLedger.h"

#include "config/IoMessage.h"

#include <algorithm>

HistoryLedger::HistoryLedger(const QString& historyPath, const QString& standardList)
    : m_historyPath(historyPath), m_standardList(standardList), m_journal(historyPath),
      m_cutJournal(historyPath)
{
}

HistoryTail::BeforeAppend HistoryLedger::noteFor(bool fromStandardList,
                                                 std::shared_future<void> saveUnderWay) const
{
    if (!fromStandardList)
        return {};
    return [journal = m_journal, list = m_standardList,
            saveUnderWay](HistoryTail::Point at, QByteArrayView records, qint32 count) mutable {
        if (saveUnderWay.valid())
            saveUnderWay.wait();
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

IoResult HistoryLedger::completeInterruptedCuts()
{
    // The cuts may move the records the journal of moves names: what it says is read first.
    m_interrupted = m_journal.interruptedMoves(m_standardList);
    return m_cutJournal.completeInterrupted();
}

QList<int> HistoryLedger::interruptedRows(const ToDoList& shown)
{
    const std::vector<ToDoItem> moved =
        m_interrupted ? std::move(*m_interrupted) : m_journal.interruptedMoves(m_standardList);
    m_interrupted.reset();
    const QList<int> rows = moved.empty() ? QList<int>() : shown.rowsEqualTo(moved);
    if (rows.isEmpty())
        m_journal.clear();
    return rows;
}

CutJournal::Cut HistoryLedger::journalCut(const RowChange& change, const QStringList& files,
                                          const ToDoList& shown)
{
    CutJournal::Cut cut;
    const RowChange::HistoryPoint at = change.historyPoint();
    cut.point = {at.sizeBefore, at.countBefore};
    cut.count = change.rowCount();
    cut.records = change.historyRecords();
    cut.files = files;
    // The rows equal to them that the list holds already, and so its file may: a file that holds the
    // rows back holds that many more.
    cut.rowsExpected = shown.countEqualTo(change.items()) + change.rowCount();
    for (const QString& f : files)
        cut.stamps.push_back(FileStamp::of(f));
    return cut;
}

IoResult HistoryLedger::writeCutJournal()
{
    std::vector<CutJournal::Cut> cuts;
    for (const PendingCut& p : m_pendingCuts)
        cuts.push_back(p.noted);
    if (m_cutNow)
        cuts.push_back(*m_cutNow);
    return m_cutJournal.write(cuts);
}

IoResult HistoryLedger::deferCut(const RowChange& change, quint64 generation, const QStringList& files,
                                 const ToDoList& shown)
{
    m_pendingCuts.push_back({change, generation, journalCut(change, files, shown)});
    IoResult r = writeCutJournal();
    if (!r)
        m_pendingCuts.pop_back();
    return r;
}

IoResult HistoryLedger::noteCut(const RowChange& change, const QStringList& files, const ToDoList& shown)
{
    m_cutNow = journalCut(change, files, shown);
    IoResult r = writeCutJournal();
    if (!r)
        m_cutNow.reset();
    return r;
}

void HistoryLedger::cutDone()
{
    m_cutNow.reset();
    // A journal left behind only costs a look at the next start: its cut's rows are no longer where it says.
    (void)writeCutJournal();
}

void HistoryLedger::dropDeferredCuts()
{
    if (m_pendingCuts.empty())
        return;
    m_pendingCuts.clear();
    (void)writeCutJournal();
}

void HistoryLedger::takeBackDeferredCut()
{
    m_pendingCuts.pop_back();
    (void)writeCutJournal();
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
    for (const RowChange& change : due) {
        // Rows moved since may follow them: the journal of moves learns where those will be first.
        const RowChange::HistoryPoint at = change.historyPoint();
        const bool shifts = m_journalGeneration && at.sizeBefore >= 0;
        if (shifts)
            m_journal.cutComing({at.sizeBefore, at.countBefore}, change.historyRecords().size(),
                                change.rowCount());
        const IoResult r = change.undoFiles(m_historyPath);
        if (shifts)
            m_journal.cutEnded(bool(r));
        if (!r)
            failed << IoMessage(r);
    }
    if (!due.empty())
        (void)writeCutJournal();
    return failed;
}
