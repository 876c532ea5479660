#include "app/GridDelegate.h"

#include "config/Colors.h"

#include <QPainter>

GridDelegate::GridDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    if (!m_showGrid)
        return;
    painter->save();
    painter->setPen(option.palette.color(QPalette::Midlight));
    const QRect r = option.rect;
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->restore();
}

namespace {
quint32 plain(const QColor& c)
{
    // Colours.h counts 0x00BBGGRR.
    return quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16;
}
} // namespace

void GridDelegate::makeSelectionReadable(QPalette& palette)
{
    // Black or white reaches 4.58:1 at least on any colour, so one of them always does.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        const QColor back = palette.color(group, QPalette::Highlight);
        if (ContrastRatio(plain(palette.color(group, QPalette::HighlightedText)), plain(back)) >= 4.5)
            continue;
        const bool black =
            ContrastRatio(plain(Qt::black), plain(back)) >= ContrastRatio(plain(Qt::white), plain(back));
        palette.setColor(group, QPalette::HighlightedText, black ? Qt::black : Qt::white);
    }
}

void GridDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->state & QStyle::State_Selected)
        makeSelectionReadable(option->palette);
}
