#pragma once

#include "model/RowChange.h"
#include "model/ToDoItem.h"

#include <QObject>
#include <QTimer>

#include <vector>

class ToDoListModel;

// Adds the rows of a long import behind the list's rows a slice at a time, a few milliseconds of them per
// turn of the event loop, so that the window paints and scrolls while a million rows go in. The rows join
// in their order; until the last one is in, the import is no change that can be taken back. finish()
// puts the rest in at once: whatever else changes the rows calls it first, so that nothing lands among
// the imported rows and the import is taken back as one change.
class SlicedImport : public QObject
{
    Q_OBJECT

public:
    // Imports of up to this many rows go in at once.
    static constexpr int kSliceRows = 5000;

    explicit SlicedImport(ToDoListModel* model, QObject* parent = nullptr);

    bool busy() const { return m_next < m_items.size(); }
    // How much of a turn the slices may take; at 0, one slice a turn (tests).
    void setTurnBudget(int milliseconds) { m_budgetMs = milliseconds; }
    // Adds the items behind the rows (an import under way is finished first). The first slice goes in
    // now; done() is emitted once the last one is in.
    void start(std::vector<ToDoItem> items);
    void finish();

Q_SIGNALS:
    // The last row is in: the whole import, as one change that is already done.
    void done(const RowChange& change);

private:
    void addSlices(bool all);

    ToDoListModel* m_model;
    std::vector<ToDoItem> m_items;
    size_t m_next = 0;
    int m_firstRow = 0;
    // Slices go in until this much of a turn is used: the window's turn stays well within 50 ms.
    int m_budgetMs = 8;
    QTimer m_timer;
};
