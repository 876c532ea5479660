#include "model/SlicedImport.h"

#include "model/ToDoListModel.h"
#include "platform/Clock.h"
#include "platform/Regional.h"

#include <QElapsedTimer>

#include <numeric>

SlicedImport::SlicedImport(ToDoListModel* model, QObject* parent) : QObject(parent), m_model(model)
{
    m_timer.setInterval(0);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { addSlices(false); });
}

void SlicedImport::start(std::vector<ToDoItem> items)
{
    finish();
    if (items.empty())
        return;
    m_items = std::move(items);
    m_next = 0;
    m_firstRow = m_model->size();
    m_model->reserveRows(m_firstRow + static_cast<int>(m_items.size()));
    addSlices(false);
}

void SlicedImport::finish()
{
    if (busy())
        addSlices(true);
}

void SlicedImport::addSlices(bool all)
{
    if (!busy())
        return;
    QElapsedTimer turn;
    turn.start();
    const Clock::OperationDay day;
    const quint32 generation = Regional::generation();
    do {
        const size_t end = all ? m_items.size() : std::min(m_items.size(), m_next + kSliceRows);
        // The alarm timer's next tick reads every row's Target and Alarm Time; read here, a slice at a
        // time, they cost that tick nothing (a million rows read at once held the window about 50 ms).
        for (size_t i = m_next; i < end; ++i)
            (void)m_items[i].alarmMoment(generation);
        // Copies: the items themselves stay whole for the change that takes the import back.
        m_model->appendItems(std::vector<ToDoItem>(m_items.begin() + static_cast<std::ptrdiff_t>(m_next),
                                                   m_items.begin() + static_cast<std::ptrdiff_t>(end)));
        m_next = end;
    } while (busy() && (all || turn.elapsed() < m_budgetMs));
    if (busy()) {
        m_timer.start();
        return;
    }
    m_timer.stop();
    QList<int> rows(static_cast<qsizetype>(m_items.size()));
    std::iota(rows.begin(), rows.end(), m_firstRow);
    const RowChange change =
        RowChange::inserted(RowChange::Kind::Import, std::move(rows), std::move(m_items));
    m_items.clear();
    m_next = 0;
    Q_EMIT done(change);
}
