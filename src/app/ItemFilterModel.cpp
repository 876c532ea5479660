#include "app/ItemFilterModel.h"

#include "model/ToDoListModel.h"
#include "platform/Clock.h"

#include <algorithm>

namespace {
// More rows than this entering or leaving at once are shown anew in one layout change, not row by row.
constexpr size_t kSingleMoves = 64;
} // namespace

ItemFilterModel::ItemFilterModel(ToDoListModel* rows, QAbstractItemModel* source, QObject* parent)
    : QAbstractProxyModel(parent), m_rows(rows)
{
    QAbstractProxyModel::setSourceModel(source);
    m_shown = acceptedRows();
    connect(source, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(source, &QAbstractItemModel::modelReset, this, [this] {
        m_shown = acceptedRows();
        endResetModel();
        Q_EMIT countsChanged();
    });
    connect(source, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { onRowsInserted(first, last); });
    connect(source, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) { onRowsAboutToBeRemoved(first, last); });
    connect(source, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) { onRowsRemoved(first, last); });
    connect(source, &QAbstractItemModel::dataChanged, this, &ItemFilterModel::onDataChanged);
    connect(source, &QAbstractItemModel::layoutAboutToBeChanged, this,
            &ItemFilterModel::onLayoutAboutToBeChanged);
    connect(source, &QAbstractItemModel::layoutChanged, this, &ItemFilterModel::onLayoutChanged);
    connect(source, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
}

void ItemFilterModel::setFilter(const ItemFilter& filter)
{
    const QDate today = Clock::today();
    const bool narrowing =
        filter.narrows(m_filter) && (filter.statuses() == ItemFilter::AllStatuses || today == m_filteredDay);
    m_filter = filter;
    m_filteredDay = today;
    refilter(narrowing);
}

bool ItemFilterModel::accepts(int sourceRow, const QDate& today) const
{
    if (!m_filter.isActive())
        return true;
    const ToDoItem& item = m_rows->item(sourceRow);
    // The status first: it is cheaper than the texts when a status is chosen.
    return m_filter.acceptsStatus(item, today) &&
           (!m_filter.hasText() || m_filter.acceptsText(m_rows->searchKey(sourceRow, m_filter.folding())));
}

std::vector<int> ItemFilterModel::acceptedRows() const
{
    const int count = m_rows->size();
    std::vector<int> rows;
    rows.reserve(static_cast<size_t>(count));
    const QDate today = Clock::today();
    for (int r = 0; r < count; ++r) {
        if (accepts(r, today))
            rows.push_back(r);
    }
    return rows;
}

int ItemFilterModel::proxyRow(int sourceRow) const
{
    const auto it = std::lower_bound(m_shown.begin(), m_shown.end(), sourceRow);
    return it != m_shown.end() && *it == sourceRow ? static_cast<int>(it - m_shown.begin()) : -1;
}

void ItemFilterModel::refilter(bool narrowing)
{
    const QDate today = Clock::today();
    auto rejected = [&](int r) { return !accepts(r, today); };
    // Narrowing, the rows before the first one the key leaves out stay as they are; a key that leaves
    // every shown row shown changes nothing the view has laid out.
    size_t firstOut = 0;
    if (narrowing) {
        firstOut =
            static_cast<size_t>(std::find_if(m_shown.begin(), m_shown.end(), rejected) - m_shown.begin());
        if (firstOut == m_shown.size()) {
            Q_EMIT countsChanged();
            return;
        }
    }
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList from = persistentIndexList();
    std::vector<int> sourceRows;
    sourceRows.reserve(static_cast<size_t>(from.size()));
    for (const QModelIndex& idx : from)
        sourceRows.push_back(sourceRow(idx.row()));
    if (narrowing)
        m_shown.erase(
            std::remove_if(m_shown.begin() + static_cast<std::ptrdiff_t>(firstOut), m_shown.end(), rejected),
            m_shown.end());
    else
        m_shown = acceptedRows();
    QModelIndexList to;
    to.reserve(from.size());
    for (qsizetype i = 0; i < from.size(); ++i) {
        const int row = proxyRow(sourceRows[static_cast<size_t>(i)]);
        to.append(row < 0 ? QModelIndex() : createIndex(row, from[i].column()));
    }
    changePersistentIndexList(from, to);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    Q_EMIT countsChanged();
}

// ---- Following the list ----

void ItemFilterModel::onRowsInserted(int first, int last)
{
    const int count = last - first + 1;
    const auto at = std::lower_bound(m_shown.begin(), m_shown.end(), first);
    const int position = static_cast<int>(at - m_shown.begin());
    std::vector<int> added;
    const QDate today = Clock::today();
    for (int r = first; r <= last; ++r) {
        if (accepts(r, today))
            added.push_back(r);
    }
    // The rows after the new ones moved down in the list: they are found there while the insertion is
    // announced.
    for (auto it = m_shown.begin() + position; it != m_shown.end(); ++it)
        *it += count;
    if (!added.empty())
        beginInsertRows(QModelIndex(), position, position + static_cast<int>(added.size()) - 1);
    m_shown.insert(m_shown.begin() + position, added.begin(), added.end());
    if (!added.empty())
        endInsertRows();
    Q_EMIT countsChanged();
}

void ItemFilterModel::onRowsAboutToBeRemoved(int first, int last)
{
    const auto from = std::lower_bound(m_shown.begin(), m_shown.end(), first);
    const auto to = std::upper_bound(from, m_shown.end(), last);
    m_removingFirst = static_cast<int>(from - m_shown.begin());
    m_removingCount = static_cast<int>(to - from);
    if (m_removingCount > 0)
        beginRemoveRows(QModelIndex(), m_removingFirst, m_removingFirst + m_removingCount - 1);
}

void ItemFilterModel::onRowsRemoved(int first, int last)
{
    const int count = last - first + 1;
    const auto from = m_shown.begin() + m_removingFirst;
    const auto tail = m_shown.erase(from, from + m_removingCount);
    for (auto it = tail; it != m_shown.end(); ++it)
        *it -= count;
    if (m_removingCount > 0)
        endRemoveRows();
    m_removingFirst = -1;
    m_removingCount = 0;
    Q_EMIT countsChanged();
}

void ItemFilterModel::onDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                    const QList<int>& roles)
{
    if (!topLeft.isValid() || !bottomRight.isValid())
        return;
    // A changed row may now pass the filter, or no longer.
    std::vector<int> entering;
    std::vector<int> leaving;
    if (m_filter.isActive()) {
        const QDate today = Clock::today();
        for (int r = topLeft.row(); r <= bottomRight.row(); ++r) {
            const bool shown = proxyRow(r) >= 0;
            if (accepts(r, today) != shown)
                (shown ? leaving : entering).push_back(r);
        }
    }
    if (entering.size() + leaving.size() > kSingleMoves) {
        refilter();
        return;
    }
    for (int r : leaving) {
        const int row = proxyRow(r);
        beginRemoveRows(QModelIndex(), row, row);
        m_shown.erase(m_shown.begin() + row);
        endRemoveRows();
    }
    for (int r : entering) {
        const auto at = std::lower_bound(m_shown.begin(), m_shown.end(), r);
        const int row = static_cast<int>(at - m_shown.begin());
        beginInsertRows(QModelIndex(), row, row);
        m_shown.insert(at, r);
        endInsertRows();
    }
    // What stays shown of the changed rows is one run of shown rows.
    const int first =
        static_cast<int>(std::lower_bound(m_shown.begin(), m_shown.end(), topLeft.row()) - m_shown.begin());
    const int last = static_cast<int>(std::upper_bound(m_shown.begin(), m_shown.end(), bottomRight.row()) -
                                      m_shown.begin()) -
                     1;
    if (first <= last)
        Q_EMIT dataChanged(createIndex(first, topLeft.column()), createIndex(last, bottomRight.column()),
                           roles);
    if (!entering.empty() || !leaving.empty())
        Q_EMIT countsChanged();
}

void ItemFilterModel::onLayoutAboutToBeChanged()
{
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // The list model moves its own persistent indexes with its rows.
    m_layoutProxy = persistentIndexList();
    m_layoutSource.clear();
    m_layoutSource.reserve(m_layoutProxy.size());
    for (const QModelIndex& idx : std::as_const(m_layoutProxy))
        m_layoutSource.append(QPersistentModelIndex(m_rows->index(sourceRow(idx.row()), 0)));
}

void ItemFilterModel::onLayoutChanged()
{
    m_shown = acceptedRows();
    QModelIndexList to;
    to.reserve(m_layoutProxy.size());
    for (qsizetype i = 0; i < m_layoutProxy.size(); ++i) {
        const QPersistentModelIndex& source = m_layoutSource[i];
        const int row = source.isValid() ? proxyRow(source.row()) : -1;
        to.append(row < 0 ? QModelIndex() : createIndex(row, m_layoutProxy[i].column()));
    }
    changePersistentIndexList(m_layoutProxy, to);
    m_layoutProxy.clear();
    m_layoutSource.clear();
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    Q_EMIT countsChanged();
}

// ---- The model ----

QModelIndex ItemFilterModel::mapToSource(const QModelIndex& proxyIndex) const
{
    if (!proxyIndex.isValid() || proxyIndex.row() >= shownCount())
        return {};
    return sourceModel()->index(sourceRow(proxyIndex.row()), proxyIndex.column());
}

QModelIndex ItemFilterModel::mapFromSource(const QModelIndex& sourceIndex) const
{
    if (!sourceIndex.isValid())
        return {};
    const int row = proxyRow(sourceIndex.row());
    return row < 0 ? QModelIndex() : createIndex(row, sourceIndex.column());
}

QModelIndex ItemFilterModel::index(int row, int column, const QModelIndex& parent) const
{
    // Asked of every shown row when the view lays the rows out: answered without a call to the source.
    if (parent.isValid() || row < 0 || row >= shownCount() || column < 0 ||
        column >= ToDoListModel::ColumnCount)
        return {};
    return createIndex(row, column);
}

QModelIndex ItemFilterModel::parent(const QModelIndex&) const
{
    return {};
}

int ItemFilterModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shownCount();
}

int ItemFilterModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ToDoListModel::ColumnCount;
}

bool ItemFilterModel::hasChildren(const QModelIndex& parent) const
{
    return !parent.isValid() && shownCount() > 0;
}

Qt::ItemFlags ItemFilterModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || index.row() >= shownCount())
        return Qt::NoItemFlags;
    // The coloured rows add no flags of their own, and the list's depend on the column alone.
    return ToDoListModel::columnFlags(index.column());
}

QModelIndex ItemFilterModel::sibling(int row, int column, const QModelIndex& idx) const
{
    return idx.isValid() ? index(row, column) : QModelIndex();
}

bool ItemFilterModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= shownCount())
        return false;
    if (role == Qt::CheckStateRole && index.column() == 0 && m_checkHandler) {
        m_checkHandler(sourceRow(index.row()), value.toInt() == Qt::Checked);
        return true;
    }
    return sourceModel()->setData(mapToSource(index), value, role);
}

QVariant ItemFilterModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The columns are the list's, also when no row is shown.
    if (orientation == Qt::Horizontal)
        return sourceModel()->headerData(section, orientation, role);
    return QAbstractProxyModel::headerData(section, orientation, role);
}
