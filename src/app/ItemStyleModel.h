#pragma once

#include "model/ItemStatus.h"

#include <QColor>
#include <QDate>
#include <QFont>
#include <QIdentityProxyModel>

#include <QString>

#include <array>

class ToDoListModel;

// How the rows of the list look: each row in the colour of its status, completed rows struck out and
// rows due today bold. It sits between the list document's model and the view and adds only looks.
class ItemStyleModel : public QIdentityProxyModel
{
    Q_OBJECT

public:
    explicit ItemStyleModel(ToDoListModel* rows, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // A column caption of the window's own (a language file's); an empty one shows the list's caption.
    void setColumnCaption(int column, const QString& caption);

    // Colours by ItemStatus number, the item font.
    void setStatusColors(const std::array<QColor, 5>& colors);
    QColor statusColor(ItemStatus status) const { return m_colors[static_cast<size_t>(status)]; }
    void setItemFont(const QFont& font);
    QFont itemFont() const { return m_font; }
    // A colour value 0x00BBGGRR, or a system colour 0x80000000 + index resolved through the palette.
    static QColor toQColor(quint32 color);
    // Status colours depend on the date. The rows are drawn for one day, read once and handed in here (at
    // start and by the alarm timer when the day changes), not read from the clock for every cell.
    void setToday(const QDate& today);
    QDate today() const { return m_today; }
    void refreshStatus();

private:
    ToDoListModel* m_rows;
    QDate m_today;
    std::array<QColor, 5> m_colors;
    QFont m_font;
    std::array<QFont, 5> m_statusFonts;
    std::array<QString, 9> m_captions;
};
