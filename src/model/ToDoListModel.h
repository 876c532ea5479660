#pragma once

#include "model/ItemFilter.h"
#include "model/ItemStatus.h"
#include "model/ToDoList.h"

#include <QAbstractTableModel>
#include <QList>

#include <vector>

// The rows of the shown list as a table model: the ToDoList as nine columns, "Actions" first with the
// check box, then the eight column values. Every change of the rows goes through here and is announced
// by the model's own signals, which is how the list document knows that the list needs saving. How rows
// look (status colours, fonts) is the window's business.
class ToDoListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int ColumnCount = 9;

    explicit ToDoListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Every row's flags: they depend on the column alone.
    static Qt::ItemFlags columnFlags(int column);
    using QAbstractTableModel::removeRows;

    static QString columnCaption(int column);

    const ToDoList& list() const { return m_list; }
    // Replaces everything (rows and names), as after loading a file; a reset. replaceList gives back
    // what was there.
    void setList(ToDoList list) { replaceList(std::move(list)); }
    ToDoList replaceList(ToDoList list);
    // Removes the rows only; the name lists stay.
    void clearItems();

    int size() const { return m_list.size(); }
    const ToDoItem& item(int row) const { return m_list.items[static_cast<size_t>(row)]; }
    void appendItem(ToDoItem item);
    void appendItems(std::vector<ToDoItem> items);
    // Room for this many rows, made at once: rows appended in slices then never move the list again.
    void reserveRows(int rows) { m_list.items.reserve(static_cast<size_t>(rows)); }
    // Puts items[i] at row rows[i]; rows ascending, each the row the item has once all are in (so an
    // insert takes back a removal of the same rows).
    void insertItems(const QList<int>& rows, std::vector<ToDoItem> items);
    void replaceItem(int row, ToDoItem item);
    void setChecked(int row, bool checked);
    // Inverts the checked flag of each given row.
    void invertChecked(const QList<int>& rows);
    // Sets the checked flag of rows[i] to checked[i].
    void setCheckedRows(const QList<int>& rows, const std::vector<bool>& checked);
    int checkedCount() const { return m_checkedCount; }
    // Removes the given rows (any order, duplicates and rows out of range ignored) in one pass over the
    // list, however scattered they are.
    void removeRows(QList<int> rows);
    // Puts the rows in the given order: order[i] is the old row that becomes row i.
    void reorder(const std::vector<int>& order);

    const QByteArrayList& ownerNames() const { return m_list.OwnerNames; }
    const QByteArrayList& projectNames() const { return m_list.ProjectNames; }
    // Replaces the owner and project names (the item editor's lists); namesChanged when they differ.
    void setNames(const QByteArrayList& owners, const QByteArrayList& projects);

    // The row's texts folded for finding (ItemFilter::searchKey), made when first asked for and kept until
    // the row changes or another folding is asked for.
    const QByteArray& searchKey(int row, const ItemFilter::Folding& folding) const;
    // Lets go of every folded text (once finding ends).
    void forgetSearchKeys() const;

Q_SIGNALS:
    // The name lists changed; they are saved with the list, like the rows.
    void namesChanged();

private:
    ToDoList m_list;
    int m_checkedCount = 0;
    // Parallel to the rows once anything was looked for; an empty entry is made when asked for. Kept in
    // step by every change above before it is announced, so that a filter on the signals finds them right.
    mutable std::vector<QByteArray> m_searchKeys;
    mutable ItemFilter::Folding m_searchFolding;
};
