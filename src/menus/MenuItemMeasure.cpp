#include "menus/MenuItemMeasure.h"

#include <algorithm>

QSize MenuItemMeasure::measure(int iconWidth, const TextSize& textSize, QSize proposed) const
{
    if (caption == QLatin1String("-"))
        return QSize(proposed.width(), std::max(proposed.height(), 4));

    QString text = caption;
    if (!shortcut.isEmpty())
        text += shortcut + QStringLiteral("WWW");
    const QSize textExtent = textSize(text);
    int width = textExtent.width() + 5;
    // The "&" only marks the underlined letter; it is not drawn.
    if (caption.contains(QLatin1Char('&')))
        width -= textSize(QStringLiteral("&")).width();
    if (hasSubmenu && !onMenuBar)
        width += 6;
    // No image is an image of no size.
    const int imageWidth = std::max(image.width(), 0);
    const int imageHeight = std::max(image.height(), 0);
    width += onMenuBar ? imageWidth : std::max(imageWidth, iconWidth);

    const int textHeight = textExtent.height();
    // 0.75 x the text height, rounded to the nearest whole number (halves up).
    const int height = std::max(textHeight + (textHeight * 3 + 2) / 4, imageHeight + 6);
    return QSize(std::max(proposed.width(), width), std::max(proposed.height(), height));
}
