#include "model/ToDoListModel.h"

#include <algorithm>

ToDoListModel::ToDoListModel(QObject* parent) : QAbstractTableModel(parent) {}

int ToDoListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_list.size();
}

int ToDoListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString ToDoListModel::columnCaption(int column)
{
    static const char* const captions[ColumnCount] = {"Actions",      "Priority",   "Date In",
                                                      "Target",       "Remarks",    "Owner",
                                                      "Project Name", "Alarm Time", "File Location"};
    return column >= 0 && column < ColumnCount ? QString::fromLatin1(captions[column]) : QString();
}

namespace {
// A list row has one line: several-line texts show their line breaks as blanks.
QString oneLine(QString text)
{
    for (QChar& c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
    return text;
}
} // namespace

QVariant ToDoListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_list.size())
        return {};
    const ToDoItem& it = item(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return oneLine(column == 0 ? it.actionText() : it.valueText(column - 1));
    case Qt::ToolTipRole:
        return column == 0 ? it.actionText() : it.valueText(column - 1);
    case Qt::CheckStateRole:
        if (column == 0)
            return it.checked() ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool ToDoListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole || index.row() >= m_list.size())
        return false;
    const bool checked = value.toInt() == Qt::Checked;
    if (item(index.row()).checked() == checked)
        return true;
    setChecked(index.row(), checked);
    return true;
}

QVariant ToDoListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return columnCaption(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ToDoListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

ToDoList ToDoListModel::replaceList(ToDoList list)
{
    beginResetModel();
    std::swap(m_list, list);
    m_checkedCount = m_list.checkedCount();
    endResetModel();
    return list;
}

void ToDoListModel::clearItems()
{
    // A reset, not a removal of rows: emptying the list is not an edit of it.
    beginResetModel();
    m_list.items.clear();
    m_checkedCount = 0;
    endResetModel();
}

void ToDoListModel::appendItem(ToDoItem item)
{
    const int row = m_list.size();
    beginInsertRows(QModelIndex(), row, row);
    m_checkedCount += item.checked() ? 1 : 0;
    m_list.items.push_back(std::move(item));
    endInsertRows();
}

void ToDoListModel::appendItems(std::vector<ToDoItem> items)
{
    if (items.empty())
        return;
    const int first = m_list.size();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(items.size()) - 1);
    m_list.items.reserve(m_list.items.size() + items.size());
    for (ToDoItem& it : items) {
        m_checkedCount += it.checked() ? 1 : 0;
        m_list.items.push_back(std::move(it));
    }
    endInsertRows();
}

void ToDoListModel::replaceItem(int row, ToDoItem item)
{
    if (row < 0 || row >= m_list.size())
        return;
    ToDoItem& target = m_list.items[static_cast<size_t>(row)];
    m_checkedCount += int(item.checked()) - int(target.checked());
    target = std::move(item);
    Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void ToDoListModel::setChecked(int row, bool checked)
{
    if (row < 0 || row >= m_list.size())
        return;
    ToDoItem& target = m_list.items[static_cast<size_t>(row)];
    m_checkedCount += int(checked) - int(target.checked());
    target.setChecked(checked);
    Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void ToDoListModel::invertChecked(const QList<int>& rows)
{
    int first = m_list.size();
    int last = -1;
    for (int row : rows) {
        if (row < 0 || row >= m_list.size())
            continue;
        ToDoItem& target = m_list.items[static_cast<size_t>(row)];
        m_checkedCount += target.checked() ? -1 : 1;
        target.setChecked(!target.checked());
        first = std::min(first, row);
        last = std::max(last, row);
    }
    if (last >= first)
        Q_EMIT dataChanged(index(first, 0), index(last, ColumnCount - 1));
}

void ToDoListModel::removeRows(QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(
        std::remove_if(rows.begin(), rows.end(), [this](int r) { return r < 0 || r >= m_list.size(); }),
        rows.end());
    if (rows.isEmpty())
        return;
    // One run of neighbouring rows is an ordinary removal; a scattered selection is removed in one pass
    // over the rows and announced as a reset, instead of shifting the tail of the list once per run.
    if (rows.constLast() - rows.constFirst() + 1 == rows.size()) {
        beginRemoveRows(QModelIndex(), rows.constFirst(), rows.constLast());
        for (int r : rows)
            m_checkedCount -= item(r).checked() ? 1 : 0;
        m_list.items.erase(m_list.items.begin() + rows.constFirst(),
                           m_list.items.begin() + rows.constLast() + 1);
        endRemoveRows();
        return;
    }
    beginResetModel();
    auto& items = m_list.items;
    size_t kept = static_cast<size_t>(rows.constFirst());
    qsizetype next = 0;
    for (size_t r = kept; r < items.size(); ++r) {
        if (next < rows.size() && rows[next] == static_cast<int>(r)) {
            ++next;
            m_checkedCount -= items[r].checked() ? 1 : 0;
            continue;
        }
        items[kept++] = std::move(items[r]);
    }
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(kept), items.end());
    endResetModel();
}

void ToDoListModel::reorder(const std::vector<int>& order)
{
    if (static_cast<int>(order.size()) != m_list.size())
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(order.size());
    for (size_t i = 0; i < order.size(); ++i)
        newRowOf[static_cast<size_t>(order[i])] = static_cast<int>(i);
    std::vector<ToDoItem> sorted;
    sorted.reserve(order.size());
    for (int old : order)
        sorted.push_back(std::move(m_list.items[static_cast<size_t>(old)]));
    m_list.items = std::move(sorted);

    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& idx : from)
        to.append(index(newRowOf[static_cast<size_t>(idx.row())], idx.column()));
    changePersistentIndexList(from, to);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ToDoListModel::setNames(const QByteArrayList& owners, const QByteArrayList& projects)
{
    if (owners == m_list.OwnerNames && projects == m_list.ProjectNames)
        return;
    m_list.OwnerNames = owners;
    m_list.ProjectNames = projects;
    Q_EMIT namesChanged();
}
