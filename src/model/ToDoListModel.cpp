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
    return index.isValid() ? columnFlags(index.column()) : Qt::NoItemFlags;
}

Qt::ItemFlags ToDoListModel::columnFlags(int column)
{
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (column == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

ToDoList ToDoListModel::replaceList(ToDoList list)
{
    beginResetModel();
    std::swap(m_list, list);
    m_checkedCount = m_list.checkedCount();
    forgetSearchKeys();
    endResetModel();
    return list;
}

void ToDoListModel::clearItems()
{
    // A reset, not a removal of rows: emptying the list is not an edit of it.
    beginResetModel();
    m_list.items.clear();
    m_checkedCount = 0;
    forgetSearchKeys();
    endResetModel();
}

void ToDoListModel::appendItem(ToDoItem item)
{
    const int row = m_list.size();
    beginInsertRows(QModelIndex(), row, row);
    m_checkedCount += item.checked() ? 1 : 0;
    m_list.items.push_back(std::move(item));
    if (!m_searchKeys.empty())
        m_searchKeys.resize(m_list.items.size());
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
    if (!m_searchKeys.empty())
        m_searchKeys.resize(m_list.items.size());
    endInsertRows();
}

void ToDoListModel::insertItems(const QList<int>& rows, std::vector<ToDoItem> items)
{
    if (rows.isEmpty() || static_cast<size_t>(rows.size()) != items.size())
        return;
    // One run of neighbouring rows is an ordinary insertion; scattered rows are put in one pass and
    // announced as a reset, like a scattered removal.
    const int first = rows.constFirst();
    const int count = static_cast<int>(rows.size());
    const bool run = rows.constLast() - first + 1 == count && first <= m_list.size();
    if (run)
        beginInsertRows(QModelIndex(), first, first + count - 1);
    else
        beginResetModel();
    // In place, from the back: each kept row moves once, to where it ends, and no second list of the rows
    // is made (a million rows would be allocated and touched anew for every row put back).
    // The list grows by the new items (moved, not made anew: an empty item is not free), which are then
    // swapped back out, leaving empty places at the end.
    auto& list = m_list.items;
    const size_t oldSize = list.size();
    list.insert(list.end(), std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
    for (size_t i = 0; i < items.size(); ++i)
        std::swap(items[i], list[oldSize + i]);
    size_t from = oldSize;
    size_t to = list.size();
    for (qsizetype i = rows.size() - 1; i >= 0; --i) {
        const size_t at = std::min(static_cast<size_t>(rows[i]), to - 1);
        while (to - 1 > at)
            list[--to] = std::move(list[--from]);
        m_checkedCount += items[static_cast<size_t>(i)].checked() ? 1 : 0;
        list[--to] = std::move(items[static_cast<size_t>(i)]);
    }
    if (!m_searchKeys.empty()) {
        if (run)
            m_searchKeys.insert(m_searchKeys.begin() + first, static_cast<size_t>(count), QByteArray());
        else
            forgetSearchKeys();
    }
    if (run)
        endInsertRows();
    else
        endResetModel();
}

void ToDoListModel::replaceItem(int row, ToDoItem item)
{
    if (row < 0 || row >= m_list.size())
        return;
    ToDoItem& target = m_list.items[static_cast<size_t>(row)];
    m_checkedCount += int(item.checked()) - int(target.checked());
    target = std::move(item);
    if (!m_searchKeys.empty())
        m_searchKeys[static_cast<size_t>(row)].clear();
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

void ToDoListModel::setCheckedRows(const QList<int>& rows, const std::vector<bool>& checked)
{
    int first = m_list.size();
    int last = -1;
    for (qsizetype i = 0; i < rows.size() && static_cast<size_t>(i) < checked.size(); ++i) {
        const int row = rows[i];
        if (row < 0 || row >= m_list.size())
            continue;
        ToDoItem& target = m_list.items[static_cast<size_t>(row)];
        m_checkedCount += int(checked[static_cast<size_t>(i)]) - int(target.checked());
        target.setChecked(checked[static_cast<size_t>(i)]);
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
        if (!m_searchKeys.empty())
            m_searchKeys.erase(m_searchKeys.begin() + rows.constFirst(),
                               m_searchKeys.begin() + rows.constLast() + 1);
        endRemoveRows();
        return;
    }
    beginResetModel();
    auto& items = m_list.items;
    const bool keys = !m_searchKeys.empty();
    size_t kept = static_cast<size_t>(rows.constFirst());
    qsizetype next = 0;
    for (size_t r = kept; r < items.size(); ++r) {
        if (next < rows.size() && rows[next] == static_cast<int>(r)) {
            ++next;
            m_checkedCount -= items[r].checked() ? 1 : 0;
            continue;
        }
        if (keys)
            m_searchKeys[kept] = std::move(m_searchKeys[r]);
        items[kept++] = std::move(items[r]);
    }
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(kept), items.end());
    if (keys)
        m_searchKeys.resize(kept);
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
    if (!m_searchKeys.empty()) {
        std::vector<QByteArray> keys;
        keys.reserve(order.size());
        for (int old : order)
            keys.push_back(std::move(m_searchKeys[static_cast<size_t>(old)]));
        m_searchKeys = std::move(keys);
    }

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

const QByteArray& ToDoListModel::searchKey(int row, const ItemFilter::Folding& folding) const
{
    if (!(folding == m_searchFolding)) {
        forgetSearchKeys();
        m_searchFolding = folding;
    }
    if (m_searchKeys.empty())
        m_searchKeys.resize(m_list.items.size());
    QByteArray& key = m_searchKeys[static_cast<size_t>(row)];
    if (key.isEmpty())
        key = ItemFilter::searchKey(item(row), folding);
    return key;
}

void ToDoListModel::forgetSearchKeys() const
{
    m_searchKeys.clear();
    m_searchKeys.shrink_to_fit();
}
