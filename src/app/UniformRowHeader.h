#pragma once

#include <QHeaderView>

// The row header of a view whose rows are all alike: one height, none hidden, none moved. Qt's header
// keeps a record per row and, when rows come or go, passes every row to carry hidden rows along (a
// million of them for one row put back). Here rows that come or go are added or dropped at the end, which
// for sections that cannot be told apart is the same, and costs what changed. A model of another kind of
// change (a reset, a new layout) is taken as Qt's header takes it.
class UniformRowHeader : public QHeaderView
{
    Q_OBJECT

public:
    explicit UniformRowHeader(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

private:
    void followRowCount();

    QMetaObject::Connection m_inserted;
    QMetaObject::Connection m_removed;
};
