#pragma once

#include "model/ItemStatus.h"
#include "model/ToDoList.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QList>

#include <array>
#include <vector>

// The rows of the list view: the window's ToDoList shown as nine columns, "Actions" first with the check
// box, then the eight column values. Rows are drawn in the colour of their status; completed rows are
// struck out and rows due today bold.
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
    using QAbstractTableModel::removeRows;

    static QString columnCaption(int column);

    const ToDoList& list() const { return m_list; }
    // Replaces everything (rows and names), as after loading a file.
    void setList(ToDoList list);
    // Removes the rows only; the name lists stay.
    void clearItems();

    int size() const { return m_list.size(); }
    const ToDoItem& item(int row) const { return m_list.items[static_cast<size_t>(row)]; }
    void appendItem(ToDoItem item);
    void appendItems(std::vector<ToDoItem> items);
    void replaceItem(int row, ToDoItem item);
    void setChecked(int row, bool checked);
    // Inverts the checked flag of each given row.
    void invertChecked(const QList<int>& rows);
    int checkedCount() const { return m_checkedCount; }
    // Removes the given rows (any order, duplicates ignored).
    void removeRows(QList<int> rows);
    // Puts the rows in the given order: order[i] is the old row that becomes row i.
    void reorder(const std::vector<int>& order);

    QByteArrayList& ownerNames() { return m_list.OwnerNames; }
    QByteArrayList& projectNames() { return m_list.ProjectNames; }

    // Display settings: colours by ItemStatus number, the item font.
    void setStatusColors(const std::array<QColor, 5>& colors);
    QColor statusColor(ItemStatus status) const { return m_colors[static_cast<size_t>(status)]; }
    void setItemFont(const QFont& font);
    QFont itemFont() const { return m_font; }
    // A colour value 0x00BBGGRR, or a system colour 0x80000000 + index resolved through the palette.
    static QColor toQColor(quint32 color);
    // Status colours depend on the date: refresh them when the day changes.
    void refreshStatus();

Q_SIGNALS:
    // A row's check box changed through the view.
    void checkToggled(int row);

private:
    ToDoList m_list;
    std::array<QColor, 5> m_colors;
    QFont m_font;
    std::array<QFont, 5> m_statusFonts;
    int m_checkedCount = 0;
};
