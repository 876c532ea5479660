#include "model/HistoryLedger.h"

#include "config/IoMessage.h"

#include <QFile>

#include <algorithm>

HistoryLedger::HistoryLedger(const QString& historyPath, const QString& standardList)
    : m_historyPath(historyPath), m_standardList(standardList), m_journal(historyPath),
      m_cuts(std::make_shared<WaitingCuts>(historyPath))
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
    // A journal the last run let go of just before it ended (moved out of its name, not yet removed).
    QFile::remove(m_journal.path() + QStringLiteral(".gone"));
    // The cuts may move the records the journal of moves names: what it says is read first.
    m_interrupted = m_journal.interruptedMoves(m_standardList);
    return m_cuts->completeInterrupted();
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

CutJournal::Cut HistoryLedger::journalCut(const RowChange& change)
{
    CutJournal::Cut cut;
    const RowChange::HistoryPoint at = change.historyPoint();
    cut.point = {at.sizeBefore, at.countBefore};
    cut.count = change.rowCount();
    cut.records = at.records;
    return cut;
}

IoResult HistoryLedger::deferCut(const RowChange& change, quint64 generation)
{
    if (IoResult r = m_cuts->add(change.id(), generation, journalCut(change)); !r)
        return r;
    m_pendingCuts.push_back({change, generation});
    return IoResult::success();
}

void HistoryLedger::rowsLeft(quint64 generation)
{
    for (PendingCut& p : m_pendingCuts) {
        if (p.leftAt == WaitingCuts::kNever) {
            p.leftAt = generation;
            m_cuts->setGenerations(p.change.id(), p.generation, generation);
        }
    }
}

AtomicFile::BeforeReplace HistoryLedger::beforeListReplaced(const QString& path, quint64 generation,
                                                            const ToDoList& rows)
{
    if (m_pendingCuts.empty())
        return {};
    // Rows left since the undo: only rows that hold the cut's rows again make it (looked for only then).
    for (PendingCut& p : m_pendingCuts) {
        if (generation >= p.leftAt && holds(rows, p.change)) {
            p.generation = generation - 1;
            p.leftAt = WaitingCuts::kNever;
            m_cuts->setGenerations(p.change.id(), p.generation, p.leftAt);
        }
    }
    return [cuts = m_cuts, path, generation](const FileStamp& written) {
        return cuts->replacing(path, written, generation);
    };
}

void HistoryLedger::dropDeferredCuts()
{
    if (m_pendingCuts.empty())
        return;
    std::vector<quint64> keys;
    for (const PendingCut& p : m_pendingCuts)
        keys.push_back(p.change.id());
    m_pendingCuts.clear();
    forgetCuts(keys);
}

void HistoryLedger::takeBackDeferredCut()
{
    const quint64 key = m_pendingCuts.back().change.id();
    m_pendingCuts.pop_back();
    forgetCuts({key});
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
    std::vector<RecordDigest> following;
    qint32 count = 0;
    for (const RowChange* later : behind) {
        following.push_back(later->historyPoint().records);
        count += later->rowCount();
    }
    return change.rowsEndHistory(m_historyPath, following, count);
}

HistoryLedger::DueCuts HistoryLedger::takeDueCuts(quint64 savedGeneration, const ToDoList& rows)
{
    DueCuts due;
    const auto kept =
        std::stable_partition(m_pendingCuts.begin(), m_pendingCuts.end(),
                              [&](const PendingCut& cut) { return !isDue(cut, savedGeneration, rows); });
    for (auto it = kept; it != m_pendingCuts.end(); ++it)
        due.m_changes.push_back(std::move(it->change));
    m_pendingCuts.erase(kept, m_pendingCuts.end());
    // The rows nearest the history's end first, whatever order the moves were taken back in: each cut
    // then takes the file's last records, at the cost of the rows, and the move that made the file takes
    // it away again once it is empty.
    std::stable_sort(due.m_changes.begin(), due.m_changes.end(), [](const RowChange& a, const RowChange& b) {
        return a.historyOffset() > b.historyOffset();
    });
    due.m_historyPath = m_historyPath;
    due.m_cuts = m_cuts;
    if (m_journalGeneration)
        due.m_journal = m_journal;
    return due;
}

HistoryLedger::DueCuts::Failures HistoryLedger::DueCuts::make() const
{
    Failures failed;
    for (const RowChange& change : m_changes) {
        // The journal notes the history as it is before the cut: a run ending after the cut and
        // before the journal is written again leaves no cut to make at the next start.
        if (IoResult j = m_cuts->cutting(change.id(), FileStamp::of(m_historyPath)); !j) {
            failed.emplace_back(change.id(), j);
            continue;
        }
        // Rows moved since may follow them: the journal of moves learns where those will be first.
        const RowChange::HistoryPoint at = change.historyPoint();
        std::optional<MoveJournal> shifts = at.sizeBefore >= 0 ? m_journal : std::nullopt;
        if (shifts)
            shifts->cutComing({at.sizeBefore, at.countBefore}, at.records.size, change.rowCount());
        const IoResult r = change.undoFiles(m_historyPath);
        if (shifts)
            shifts->cutEnded(bool(r));
        if (!r)
            failed.emplace_back(change.id(), r);
    }
    std::vector<quint64> keys;
    for (const RowChange& change : m_changes)
        keys.push_back(change.id());
    if (!keys.empty())
        m_cuts->remove(keys);
    return failed;
}
