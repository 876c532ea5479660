#include "app/UniformRowHeader.h"

#include <algorithm>

UniformRowHeader::UniformRowHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent)
{
    // One height for every row, set here: the header never asks the rows for theirs.
    setSectionResizeMode(QHeaderView::Fixed);
}

void UniformRowHeader::setModel(QAbstractItemModel* model)
{
    if (model == this->model())
        return;
    QObject::disconnect(m_inserted);
    QObject::disconnect(m_removed);
    QHeaderView::setModel(model);
    if (!model)
        return;
    // Only where Qt's own handler is found and taken off (a Qt that connects them otherwise keeps its own).
    const bool inserted = QObject::disconnect(model, SIGNAL(rowsInserted(QModelIndex, int, int)), this,
                                              SLOT(sectionsInserted(QModelIndex, int, int)));
    const bool removed = QObject::disconnect(model, SIGNAL(rowsRemoved(QModelIndex, int, int)), this,
                                             SLOT(_q_sectionsRemoved(QModelIndex, int, int)));
    if (inserted)
        m_inserted =
            connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent) {
                if (!parent.isValid())
                    followRowCount();
            });
    if (removed)
        m_removed = connect(model, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex& parent) {
            if (!parent.isValid())
                followRowCount();
        });
}

void UniformRowHeader::followRowCount()
{
    const int rows = model()->rowCount(rootIndex());
    if (rows == count())
        return;
    if (rows <= 0)
        initializeSections();
    else
        initializeSections(std::min(count(), rows - 1), rows - 1);
}
