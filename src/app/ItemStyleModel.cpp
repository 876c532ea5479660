#include "app/ItemStyleModel.h"

#include "model/ToDoListModel.h"
#include "platform/Clock.h"
#include "platform/desktop/SystemColor.h"

#include <QGuiApplication>
#include <QPalette>

ItemStyleModel::ItemStyleModel(ToDoListModel* rows, QObject* parent)
    : QIdentityProxyModel(parent), m_rows(rows), m_today(Clock::today())
{
    m_colors = {QColor(Qt::blue), QColor(Qt::red), QColor(128, 0, 128), QColor(Qt::gray), QColor(Qt::red)};
    setSourceModel(rows);
    setItemFont(QFont());
}

QVariant ItemStyleModel::data(const QModelIndex& index, int role) const
{
    if ((role == Qt::ForegroundRole || role == Qt::FontRole) && index.isValid() &&
        index.row() < m_rows->size()) {
        const auto status = static_cast<size_t>(ItemStatusOf(m_rows->item(index.row()), m_today));
        if (role == Qt::ForegroundRole)
            return m_colors[status];
        return m_statusFonts[status];
    }
    return QIdentityProxyModel::data(index, role);
}

QVariant ItemStyleModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < static_cast<int>(m_captions.size()) && !m_captions[static_cast<size_t>(section)].isEmpty())
        return m_captions[static_cast<size_t>(section)];
    return QIdentityProxyModel::headerData(section, orientation, role);
}

void ItemStyleModel::setColumnCaption(int column, const QString& caption)
{
    if (column < 0 || column >= static_cast<int>(m_captions.size()))
        return;
    m_captions[static_cast<size_t>(column)] = caption;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

void ItemStyleModel::setStatusColors(const std::array<QColor, 5>& colors)
{
    m_colors = colors;
    refreshStatus();
}

void ItemStyleModel::setItemFont(const QFont& font)
{
    m_font = font;
    for (size_t i = 0; i < m_statusFonts.size(); ++i) {
        QFont f = font;
        const auto status = static_cast<ItemStatus>(i);
        f.setStrikeOut(status == ItemStatus::Completed);
        f.setBold(status == ItemStatus::Today);
        m_statusFonts[i] = f;
    }
    refreshStatus();
}

QColor ItemStyleModel::toQColor(quint32 color)
{
    return SystemColor::toQColor(color);
}

void ItemStyleModel::setToday(const QDate& today)
{
    if (today == m_today)
        return;
    m_today = today;
    refreshStatus();
}

void ItemStyleModel::refreshStatus()
{
    const int rows = rowCount();
    if (rows == 0)
        return;
    Q_EMIT dataChanged(index(0, 0), index(rows - 1, columnCount() - 1), {Qt::ForegroundRole, Qt::FontRole});
}
