#pragma once

#include "model/ItemFilter.h"

#include <QAbstractProxyModel>
#include <QPersistentModelIndex>

#include <functional>
#include <vector>

class ToDoListModel;

// The rows the find bar lets through, in list order, between the coloured rows and the view. It never
// changes the list or its order; it only leaves rows out.
//
// A change of the filter is announced as one layout change (persistent indexes, and with them the
// selection, follow the rows that stay shown); rows added, removed or changed in the list come through as
// insertions, removals and changes of the shown rows, so that a shown row keeps its selection.
class ItemFilterModel : public QAbstractProxyModel
{
    Q_OBJECT

public:
    // rows is the list model behind source (the same rows, one for one).
    ItemFilterModel(ToDoListModel* rows, QAbstractItemModel* source, QObject* parent = nullptr);

    void setFilter(const ItemFilter& filter);
    const ItemFilter& filter() const { return m_filter; }

    int shownCount() const { return static_cast<int>(m_shown.size()); }
    int sourceRow(int proxyRow) const { return m_shown[static_cast<size_t>(proxyRow)]; }
    // The shown row of a list row, or -1 when it is left out.
    int proxyRow(int sourceRow) const;

    // A tick in a row's check box goes here instead of straight to the list, so that it can be taken back.
    void setCheckHandler(std::function<bool(int sourceRow, bool checked)> handler)
    {
        m_checkHandler = std::move(handler);
    }

    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    // A view asks these of every row when it lays the rows out: answered here, not through the source.
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QModelIndex sibling(int row, int column, const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    // The number of shown rows, or of all rows, may have changed.
    void countsChanged();

private:
    bool accepts(int sourceRow, const QDate& today) const;
    std::vector<int> acceptedRows() const;
    // The shown rows anew (or, narrowing, those of them that still pass), as one layout change.
    void refilter(bool narrowing = false);

    void onRowsInserted(int first, int last);
    void onRowsAboutToBeRemoved(int first, int last);
    void onRowsRemoved(int first, int last);
    void onDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles);
    void onLayoutAboutToBeChanged();
    void onLayoutChanged();

    ToDoListModel* m_rows;
    ItemFilter m_filter;
    // The list rows shown, ascending.
    std::vector<int> m_shown;
    // The day the shown rows' statuses were worked out for.
    QDate m_filteredDay;
    std::function<bool(int, bool)> m_checkHandler;
    // Between a removal's two signals: the shown rows it takes.
    int m_removingFirst = -1;
    int m_removingCount = 0;
    // Between a layout change's two signals: where each persistent index was in the list.
    QModelIndexList m_layoutProxy;
    QList<QPersistentModelIndex> m_layoutSource;
};
