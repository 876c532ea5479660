#pragma once

#include <QSize>
#include <QString>

#include <functional>

// How big the flat menu painter makes a menu item. Window-free: the caller says how big a text is in the
// painter's font.
struct MenuItemMeasure
{
    // A caption "-" is a separator.
    QString caption;
    // Empty when the item has no shortcut.
    QString shortcut;
    bool hasSubmenu = false;
    bool onMenuBar = false;
    QSize image;

    using TextSize = std::function<QSize(const QString&)>;

    // The size the item asks for: never smaller than the proposed one in either direction.
    QSize measure(int iconWidth, const TextSize& textSize, QSize proposed) const;
};
