#include "model/RowChange.h"

#include "config/LanguageTexts.h"

#include "model/HistoryTail.h"
#include "model/ListFile.h"
#include "model/ToDoListModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThreadPool>

#include <algorithm>

namespace {
// Letting go of a million items takes tens of milliseconds: a change dropped from the undo stack (an
// import after an undo) lets its items go on a worker thread, not on the window's.
constexpr size_t kItemsFreedAside = 10000;

// Rows of a list of size rows, ascending, each once.
QList<int> validRows(QList<int> rows, int size)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.removeIf([size](int r) { return r < 0 || r >= size; });
    return rows;
}

std::shared_ptr<const std::vector<ToDoItem>> sharedItems(std::vector<ToDoItem> items)
{
    if (items.size() < kItemsFreedAside)
        return std::make_shared<const std::vector<ToDoItem>>(std::move(items));
    return {new std::vector<ToDoItem>(std::move(items)), [](const std::vector<ToDoItem>* gone) {
                QThreadPool::globalInstance()->start([gone] { delete gone; });
            }};
}
} // namespace

quint64 RowChange::nextId()
{
    static quint64 last = 0;
    return ++last;
}

bool RowChange::rowsEndHistory(const QString& historyPath, const std::vector<RecordDigest>& following,
                               qint32 followingCount) const
{
    if (m_kind != Kind::MoveToHistory || m_history->sizeBefore < 0)
        return false;
    std::vector<RecordDigest> tail{m_history->records};
    tail.insert(tail.end(), following.begin(), following.end());
    return HistoryTail::endsWith(historyPath, {m_history->sizeBefore, m_history->countBefore}, tail,
                                 static_cast<qint32>(m_items->size()) + followingCount)
        .ok;
}

RowChange RowChange::inserted(Kind kind, QList<int> rows, std::vector<ToDoItem> items)
{
    RowChange c;
    c.m_kind = kind;
    c.m_rows = std::move(rows);
    c.m_items = sharedItems(std::move(items));
    return c;
}

RowChange RowChange::removed(Kind kind, QList<int> rows, std::vector<ToDoItem> items)
{
    return inserted(kind, std::move(rows), std::move(items));
}

RowChange RowChange::replaced(int row, ToDoItem before, ToDoItem after)
{
    RowChange c;
    c.m_kind = Kind::Edit;
    c.m_rows = {row};
    c.m_items = std::make_shared<const std::vector<ToDoItem>>(1, std::move(before));
    c.m_after.push_back(std::move(after));
    return c;
}

RowChange RowChange::checked(QList<int> rows, std::vector<bool> before, std::vector<bool> after,
                             std::vector<QByteArray> records)
{
    RowChange c;
    c.m_kind = Kind::Check;
    c.m_rows = std::move(rows);
    c.m_flagsBefore = std::move(before);
    c.m_flagsAfter = std::move(after);
    c.m_records = std::move(records);
    return c;
}

RowChange RowChange::sorted(std::vector<int> order)
{
    RowChange c;
    c.m_kind = Kind::Sort;
    c.m_order = std::move(order);
    return c;
}

RowChange RowChange::removedFrom(const ToDoListModel& model, const QList<int>& rows, Kind kind)
{
    QList<int> valid = validRows(rows, model.size());
    std::vector<ToDoItem> items;
    items.reserve(static_cast<size_t>(valid.size()));
    for (int r : std::as_const(valid))
        items.push_back(model.item(r));
    return removed(kind, std::move(valid), std::move(items));
}

RowChange RowChange::invertedIn(const ToDoListModel& model, const QList<int>& rows)
{
    QList<int> valid = validRows(rows, model.size());
    std::vector<bool> before;
    std::vector<bool> after;
    std::vector<QByteArray> records;
    records.reserve(static_cast<size_t>(valid.size()));
    for (int r : std::as_const(valid)) {
        before.push_back(model.item(r).checked());
        after.push_back(!before.back());
        records.push_back(model.item(r).record());
    }
    return checked(std::move(valid), std::move(before), std::move(after), std::move(records));
}

bool RowChange::movesRows(const ToDoListModel& model, const std::vector<int>& order)
{
    const auto& items = model.list().items;
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] != static_cast<int>(i) && !(items[static_cast<size_t>(order[i])] == items[i]))
            return true;
    return false;
}

void RowChange::setNames(const QByteArrayList& ownersBefore, const QByteArrayList& projectsBefore,
                         const QByteArrayList& ownersAfter, const QByteArrayList& projectsAfter)
{
    if (ownersBefore == ownersAfter && projectsBefore == projectsAfter)
        m_names.reset();
    else
        m_names = std::array<QByteArrayList, 4>{ownersBefore, projectsBefore, ownersAfter, projectsAfter};
}

QList<int> RowChange::rowsAfter(bool undone) const
{
    switch (m_kind) {
    case Kind::Add:
    case Kind::Import:
        return undone ? QList<int>() : m_rows;
    case Kind::Delete:
    case Kind::MoveToHistory:
        return undone ? m_rows : QList<int>();
    case Kind::Edit:
    case Kind::Check:
        return m_rows;
    case Kind::Sort:
        break;
    }
    return {};
}

// ---- Checks ----

bool RowChange::rowsHold(const ToDoListModel& model, const std::vector<ToDoItem>& items) const
{
    if (static_cast<size_t>(m_rows.size()) != items.size())
        return false;
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        const int row = m_rows[i];
        if (row < 0 || row >= model.size() || !(model.item(row) == items[static_cast<size_t>(i)]))
            return false;
    }
    return true;
}

bool RowChange::rowsCanTake(const ToDoListModel& model) const
{
    // Ascending, and each row no further than the rows before it and the list can reach.
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i] < 0 || m_rows[i] > model.size() + i || (i > 0 && m_rows[i] <= m_rows[i - 1]))
            return false;
    }
    return true;
}

bool RowChange::flagsAre(const ToDoListModel& model, const std::vector<bool>& flags) const
{
    if (static_cast<size_t>(m_rows.size()) != flags.size())
        return false;
    if (m_records.size() != flags.size())
        return false;
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        const int row = m_rows[i];
        const auto k = static_cast<size_t>(i);
        if (row < 0 || row >= model.size() || model.item(row).checked() != flags[k])
            return false;
        // Mostly the very bytes the change saw: then no comparison is needed.
        const QByteArray& now = model.item(row).record();
        if (now.constData() != m_records[k].constData() && now != m_records[k])
            return false;
    }
    return true;
}

bool RowChange::canRedoRows(const ToDoListModel& model) const
{
    switch (m_kind) {
    case Kind::Add:
    case Kind::Import:
        return rowsCanTake(model);
    case Kind::Delete:
    case Kind::MoveToHistory:
        return rowsHold(model, *m_items);
    case Kind::Edit:
        return rowsHold(model, *m_items);
    case Kind::Check:
        return flagsAre(model, m_flagsBefore);
    case Kind::Sort:
        return static_cast<int>(m_order.size()) == model.size();
    }
    return false;
}

bool RowChange::canUndoRows(const ToDoListModel& model) const
{
    switch (m_kind) {
    case Kind::Add:
    case Kind::Import:
        return rowsHold(model, *m_items);
    case Kind::Delete:
    case Kind::MoveToHistory:
        return rowsCanTake(model);
    case Kind::Edit:
        return rowsHold(model, m_after);
    case Kind::Check:
        return flagsAre(model, m_flagsAfter);
    case Kind::Sort:
        return static_cast<int>(m_order.size()) == model.size();
    }
    return false;
}

// ---- Rows ----

void RowChange::insertRows(ToDoListModel& model) const
{
    model.insertItems(m_rows, *m_items);
}

void RowChange::setNames(ToDoListModel& model, bool after) const
{
    if (!m_names)
        return;
    const auto& n = *m_names;
    // Names someone changed since are theirs: only the names this change left are put back.
    const int from = after ? 0 : 2;
    const int to = after ? 2 : 0;
    if (model.ownerNames() == n[from] && model.projectNames() == n[from + 1])
        model.setNames(n[to], n[to + 1]);
}

void RowChange::redoRows(ToDoListModel& model) const
{
    switch (m_kind) {
    case Kind::Add:
    case Kind::Import:
        insertRows(model);
        break;
    case Kind::Delete:
    case Kind::MoveToHistory:
        model.removeRows(m_rows);
        break;
    case Kind::Edit:
        model.replaceItem(m_rows.constFirst(), m_after.front());
        break;
    case Kind::Check:
        model.setCheckedRows(m_rows, m_flagsAfter);
        break;
    case Kind::Sort:
        model.reorder(m_order);
        break;
    }
    setNames(model, true);
}

void RowChange::undoRows(ToDoListModel& model) const
{
    switch (m_kind) {
    case Kind::Add:
    case Kind::Import:
        model.removeRows(m_rows);
        break;
    case Kind::Delete:
    case Kind::MoveToHistory:
        insertRows(model);
        break;
    case Kind::Edit:
        model.replaceItem(m_rows.constFirst(), m_items->front());
        break;
    case Kind::Check:
        model.setCheckedRows(m_rows, m_flagsBefore);
        break;
    case Kind::Sort: {
        std::vector<int> back(m_order.size());
        for (size_t i = 0; i < m_order.size(); ++i)
            back[static_cast<size_t>(m_order[i])] = static_cast<int>(i);
        model.reorder(back);
        break;
    }
    }
    setNames(model, false);
}

// ---- Files ----

IoResult RowChange::appendToHistory(const QByteArray& records, qint32 count, const QString& historyPath,
                                    HistoryPoint& point, const HistoryTail::BeforeAppend& beforeAppend)
{
    const bool existed = QFileInfo::exists(historyPath);
    if (IoResult r = AppendRecordsToHistory(records, count, historyPath, &point.countBefore,
                                            &point.sizeBefore, beforeAppend);
        !r)
        return r;
    point.created = !existed;
    point.records = RecordDigest::of(records);
    return IoResult::success();
}

void RowChange::setHistoryPoint(const HistoryPoint& point)
{
    *m_history = point;
}

IoResult RowChange::undoFiles(const QString& historyPath) const
{
    if (m_kind != Kind::MoveToHistory)
        return IoResult::success();
    const QString shown = QDir::toNativeSeparators(historyPath);
    auto gone = [&shown] {
        return IoResult::failure(LanguageTexts::shared().text("ListErrors", "MovedGone").arg(shown),
                                 IoError::BadData);
    };
    if (!QFileInfo::exists(historyPath))
        return gone();
    // Still where they were appended, at the end: cut off again, at the cost of the rows.
    if (m_history->sizeBefore >= 0) {
        const IoResult cut =
            HistoryTail::cutBack(historyPath, {m_history->sizeBefore, m_history->countBefore},
                                 m_history->records, static_cast<qint32>(m_items->size()));
        if (cut && m_history->created && m_history->countBefore == 0)
            QFile::remove(historyPath);
        if (cut || cut.kind != IoError::BadData)
            return cut;
    }
    ToDoList history;
    if (IoResult r = ReadListFile(historyPath, false, history); !r)
        return r;
    auto& items = history.items;
    const auto count = static_cast<std::ptrdiff_t>(m_items->size());
    auto runAt = [&](std::ptrdiff_t start) {
        return start >= 0 && start + count <= static_cast<std::ptrdiff_t>(items.size()) &&
               std::equal(m_items->begin(), m_items->end(), items.begin() + start);
    };
    std::ptrdiff_t start = m_history->countBefore;
    if (!runAt(start)) {
        start = static_cast<std::ptrdiff_t>(items.size()) - count;
        while (start >= 0 && !runAt(start))
            --start;
        if (start < 0)
            return gone();
    }
    items.erase(items.begin() + start, items.begin() + start + count);
    // A history file that this change made goes again with its rows.
    if (m_history->created && items.empty() && QFile::remove(historyPath))
        return IoResult::success();
    return SaveHistoryFile(history, historyPath);
}
