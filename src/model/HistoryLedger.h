#pragma once

#include "model/CutJournal.h"
#include "model/HistoryTail.h"
#include "model/MoveJournal.h"
#include "model/RowChange.h"
#include "model/WaitingCuts.h"
#include "platform/AtomicFile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <future>
#include <memory>
#include <optional>
#include <vector>

// What the history file still owes the lists between two saves of the list, so that its rows are never in
// neither file and do not stay in both:
// - the journal of the moves from the standard list that its file does not yet lack (MoveJournal), which
//   the next start completes when the last run ended before that save;
// - the moves taken back whose rows still end the history: they are cut off once a save holds the rows
//   again (one of a later generation of the rows than the undo, unless rows left the list since: then one
//   whose rows are seen to hold them, or one without them while the list lacks them too);
// - the journal of those cuts and of a cut made at once (CutJournal), which the next start completes when
//   the last run ended between the save and the cut.
class HistoryLedger
{
public:
    HistoryLedger(const QString& historyPath, const QString& standardList);

    // The journal's note for a move from the standard list (nothing for the other lists: their changes wait
    // in the recovery copy). It runs on the move's thread, so it holds copies, not the ledger.
    // A save of the list under way holds the rows yet: the note waits until it has written the list's
    // file, and is about the file it wrote.
    HistoryTail::BeforeAppend noteFor(bool fromStandardList, std::shared_future<void> saveUnderWay) const;
    // A move from the standard list left it; generation is the rows' generation without them.
    void moveMade(quint64 generation) { m_journalGeneration = generation; }
    // The standard list reached its file as of generation: moves before it are in no journal any more.
    void standardListSaved(quint64 generation);
    // At start, the rows of shown (the standard list as read) that moves complete in the history took out
    // of its file; with none, the journal goes.
    QList<int> interruptedRows(const ToDoList& shown);

    // At start, before anything else writes the history: the cuts the last run noted and did not make.
    // Gives the failure when the history could not be written (its rows stay in both lists).
    IoResult completeInterruptedCuts();

    // Whether the rows of change (a move) end the history where it put them, but for the rows of moves
    // already taken back whose cuts wait behind them: its cut can wait as well.
    bool canDeferCut(const RowChange& change) const;
    // The cut of change waits for a save of a later generation than generation, which writes the rows back.
    // Fails, with nothing changed, when the journal cannot be written.
    IoResult deferCut(const RowChange& change, quint64 generation);
    // Rows left the list, making it the rows' generation: those of a cut that waits may be among them (a
    // row put back by an undo deleted, or its add undone). No save of that generation or later makes the
    // cut until one is seen to hold its rows again.
    void rowsLeft(quint64 generation);
    // A save of rows (of generation) is about to replace path (on the thread that writes it): the cuts whose
    // rows it holds note the new file first. The file must not replace the old one when this fails.
    AtomicFile::BeforeReplace beforeListReplaced(const QString& path, quint64 generation,
                                                 const ToDoList& rows);
    // Another list is shown: the rows of moves taken back stay in the history (the list that held them
    // again is left, saved and cut then, or let go of by the user).
    void dropDeferredCuts();
    // Whether change is the last move taken back and its cut still waits.
    bool isCutDeferred(const RowChange& change) const
    {
        return !m_pendingCuts.empty() && m_pendingCuts.back().change.id() == change.id();
    }
    // That move is done again while its cut still waited: the rows are still where the move put them. (The
    // list's file cannot hold them again meanwhile: a save that does makes the cut.)
    void takeBackDeferredCut();
    // The cuts a save of the rows' generation savedGeneration makes due (it holds their rows again), taken
    // out of those that wait. They are made on any thread, with nothing else reading or writing the
    // history or its journals meanwhile.
    class DueCuts
    {
    public:
        using Failures = std::vector<std::pair<quint64, IoResult>>;

        bool empty() const { return m_changes.empty(); }
        // The rows nearest the history's end first. Gives the cuts that failed, by the moves' ids (their
        // rows stay in the history).
        Failures make() const;

    private:
        friend class HistoryLedger;
        std::vector<RowChange> m_changes;
        QString m_historyPath;
        std::shared_ptr<WaitingCuts> m_cuts;
        // The journal of moves, when it names moves: those behind a cut learn where they will be.
        std::optional<MoveJournal> m_journal;
    };
    bool hasWaitingCuts() const { return !m_pendingCuts.empty(); }
    // rows: the list's rows now. A cut whose rows left the list and were not seen again in the save is
    // due too when they are not in the list either (deleted again, moved again, their add taken back).
    DueCuts takeDueCuts(quint64 savedGeneration, const ToDoList& rows);

private:
    void forgetMoves();
    static CutJournal::Cut journalCut(const RowChange& change);
    void forgetCuts(const std::vector<quint64>& keys) { m_cuts->remove(keys); }

    struct PendingCut
    {
        RowChange change;
        // Saves of later generations hold the rows, but for those of leftAt or later.
        quint64 generation;
        quint64 leftAt = WaitingCuts::kNever;
    };
    static bool isDue(const PendingCut& cut, quint64 savedGeneration, const ToDoList& rows)
    {
        if (cut.generation < savedGeneration && savedGeneration < cut.leftAt)
            return true;
        return cut.leftAt <= savedGeneration && !holds(rows, cut.change);
    }
    static bool holds(const ToDoList& rows, const RowChange& change)
    {
        return rows.rowsEqualTo(change.items()).size() == qsizetype(change.items().size());
    }
    QString m_historyPath;
    QString m_standardList;
    MoveJournal m_journal;
    // The generation of the rows after the last move the journal names; none when it names none.
    std::optional<quint64> m_journalGeneration;
    std::vector<PendingCut> m_pendingCuts;
    std::shared_ptr<WaitingCuts> m_cuts;
    // The items of the moves the last run completed in the history only, as found before the cuts it left.
    std::optional<std::vector<ToDoItem>> m_interrupted;
};
