#pragma once

#include "model/HistoryTail.h"
#include "model/RecordDigest.h"
#include "model/ToDoItem.h"
#include "platform/IoResult.h"

#include <QByteArrayList>
#include <QList>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class ToDoListModel;

// One change of the shown rows, kept so that it can be taken back and done again: an item added, edited,
// deleted or moved to history, rows checked or unchecked, a CSV import, a sort. Rows are named by their
// positions, which hold because every change of the rows is recorded in order.
//
// A change has a file part and a row part. Only a move to history has a file part (its rows go into the
// history file, and come out of it again when it is taken back); it may fail, and then nothing has
// changed: taking back runs it first, doing (again) runs it beside the window after the rows left. The row
// part cannot fail; it checks first that the rows are as the change expects them and refuses otherwise, so
// that a change is never applied to rows it did not make.
class RowChange
{
public:
    enum class Kind
    {
        Add,
        Edit,
        Delete,
        MoveToHistory,
        Check,
        Import,
        Sort
    };

    // rows ascending: where the items are once inserted.
    static RowChange inserted(Kind kind, QList<int> rows, std::vector<ToDoItem> items);
    // rows ascending, items as they are in those rows.
    static RowChange removed(Kind kind, QList<int> rows, std::vector<ToDoItem> items);
    static RowChange replaced(int row, ToDoItem before, ToDoItem after);
    // records: the rows' items apart from their flags, which must still be there to take it back or
    // do it again (another writer, the sync, may have changed or moved the rows since).
    static RowChange checked(QList<int> rows, std::vector<bool> before, std::vector<bool> after,
                             std::vector<QByteArray> records);
    // order[i] is the row that becomes row i.
    static RowChange sorted(std::vector<int> order);
    // A delete or move to history (kind) of rows of model, and the inversion of their checked flags. rows
    // need not be ascending or once each; rows that do not exist are left out (none left: rowCount() 0).
    static RowChange removedFrom(const ToDoListModel& model, const QList<int>& rows, Kind kind);
    static RowChange invertedIn(const ToDoListModel& model, const QList<int>& rows);
    // Whether order (one entry per row of model) puts any row among rows unlike it: when not, a sort
    // changes nothing and leaves nothing to take back.
    static bool movesRows(const ToDoListModel& model, const std::vector<int>& order);

    // The item editor's name lists before and after an added or edited item.
    void setNames(const QByteArrayList& ownersBefore, const QByteArrayList& projectsBefore,
                  const QByteArrayList& ownersAfter, const QByteArrayList& projectsAfter);

    Kind kind() const { return m_kind; }
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    // The rows that hold its items once it is done (or taken back, when undone), for the user to see
    // them; empty when its items are gone then, and for a sort.
    QList<int> rowsAfter(bool undone) const;

    // ---- Doing it (again) ----
    // Where a move to history left the history file: what it held before, and whether the move made it.
    struct HistoryPoint
    {
        int countBefore = -1;
        qint64 sizeBefore = -1; // -1 when the file was written anew
        bool created = false;
        // The records appended.
        RecordDigest records;
    };
    // A move's file part runs on another thread, in two steps: appendToHistory() there with the records of
    // its items (SerializeRecords), which touches no change, then setHistoryPoint() with what it found.
    static IoResult appendToHistory(const QByteArray& records, qint32 count, const QString& historyPath,
                                    HistoryPoint& point, const HistoryTail::BeforeAppend& beforeAppend = {});
    // For this change and all its copies.
    void setHistoryPoint(const HistoryPoint& point);
    // Where a move's rows begin in the history file, in bytes; -1 when not known.
    qint64 historyOffset() const { return m_history->sizeBefore; }
    HistoryPoint historyPoint() const { return *m_history; }
    // Add, Import, Delete, MoveToHistory: the items of its rows.
    const std::vector<ToDoItem>& items() const { return *m_items; }
    bool canRedoRows(const ToDoListModel& model) const;
    void redoRows(ToDoListModel& model) const;

    // ---- Taking it back ----
    // A move to history takes its rows out of the history file again, where it put them (or, when the
    // file was changed since, where the same rows stand one after the other, last found first); a history
    // file that it made and that is then empty goes too. When the rows are not in it any more, it fails
    // with IoError::BadData and changes nothing: such a change can never be taken back.
    IoResult undoFiles(const QString& historyPath) const;
    // A move to history whose rows still end the history file, where it appended them (followed only by
    // the runs of records following, count records in all): undoFiles() can then cut them off at the cost
    // of the rows.
    bool rowsEndHistory(const QString& historyPath, const std::vector<RecordDigest>& following = {},
                        qint32 followingCount = 0) const;
    // Copies of a change share its id.
    quint64 id() const { return m_id; }
    bool canUndoRows(const ToDoListModel& model) const;
    void undoRows(ToDoListModel& model) const;

private:
    bool rowsHold(const ToDoListModel& model, const std::vector<ToDoItem>& items) const;
    bool rowsCanTake(const ToDoListModel& model) const;
    bool flagsAre(const ToDoListModel& model, const std::vector<bool>& flags) const;
    void insertRows(ToDoListModel& model) const;
    void setNames(ToDoListModel& model, bool after) const;

    static quint64 nextId();
    quint64 m_id = nextId();
    Kind m_kind = Kind::Add;
    QList<int> m_rows;
    // Add, Import, Delete, MoveToHistory: the items of the rows; Edit: before and after. The items are
    // shared by the copies of a change (the undo stack keeps one), which never change them: copying a
    // change of a million rows costs nothing.
    std::shared_ptr<const std::vector<ToDoItem>> m_items = std::make_shared<const std::vector<ToDoItem>>();
    std::vector<ToDoItem> m_after;
    std::vector<bool> m_flagsBefore;
    std::vector<bool> m_flagsAfter;
    std::vector<QByteArray> m_records;
    std::vector<int> m_order;
    // How many items the history file held before this change appended its rows, its size in bytes then
    // (when the rows were appended where it lies), and whether the change created it. Shared by the copies
    // like the items: a move done again beside the window sets it once the history holds its rows, for
    // the undo stack's copy as for every other.
    std::shared_ptr<HistoryPoint> m_history = std::make_shared<HistoryPoint>();
    std::optional<std::array<QByteArrayList, 4>> m_names;
};
