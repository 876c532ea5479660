#include "menus/FlatMenuDrawing.h"

#include "menus/FlatMenuStyle.h"
#include "menus/MenuColors.h"
#include "menus/MenuItemMeasure.h"
#include "menus/TFlatMenuPainter.h"

#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionMenuItem>

#include <cmath>

namespace {
using MenuColors::Working;

QColor c(quint32 rgb)
{
    return FlatMenuStyle::toColor(rgb);
}

// Caption and shortcut: Qt hands them over as one text, separated by a tab.
std::pair<QString, QString> splitText(const QString& text)
{
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab < 0)
        return {text, QString()};
    return {text.left(tab), text.mid(tab + 1)};
}

void mapPixels(QImage& image, quint32 (*change)(quint32, int), int amount)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb px = line[x];
            if (qAlpha(px) == 0)
                continue;
            const quint32 changed = change(FlatMenuStyle::toRgb(QColor::fromRgb(px)), amount);
            const QColor to = c(changed);
            line[x] = qRgba(to.red(), to.green(), to.blue(), qAlpha(px));
        }
    }
}

void drawArrowRight(QPainter* p, const QRect& area, const QColor& color, bool pointLeft)
{
    const QPoint mid = area.center();
    QPolygon triangle;
    if (pointLeft)
        triangle << QPoint(mid.x() - 2, mid.y()) << QPoint(mid.x() + 1, mid.y() - 3)
                 << QPoint(mid.x() + 1, mid.y() + 3);
    else
        triangle << QPoint(mid.x() + 2, mid.y()) << QPoint(mid.x() - 1, mid.y() - 3)
                 << QPoint(mid.x() - 1, mid.y() + 3);
    p->save();
    p->setPen(color);
    p->setBrush(color);
    p->drawPolygon(triangle);
    p->restore();
}

QImage offscreen(QPainter* p, const QSize& size)
{
    const qreal dpr = p->device() ? p->device()->devicePixelRatioF() : 1.0;
    QImage image(size * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    return image;
}

QRgb pixelAt(const QImage& image, QPoint point)
{
    const qreal dpr = image.devicePixelRatio();
    const QPoint at(int(point.x() * dpr), int(point.y() * dpr));
    return image.rect().contains(at) ? image.pixel(at) : qRgb(255, 255, 255);
}
} // namespace

FlatMenuDrawing::FlatMenuDrawing(TFlatMenuPainter& painter, const QStyle& style)
    : m_painter(painter), m_style(style)
{
}

int FlatMenuDrawing::smallIconSize() const
{
    return m_style.pixelMetric(QStyle::PM_SmallIconSize);
}

QSize FlatMenuDrawing::measureMenuItem(const QStyleOptionMenuItem& option, QSize proposed) const
{
    const QFontMetrics fm(m_painter.font());
    auto textSize = [&fm](const QString& s) { return QSize(fm.horizontalAdvance(s), fm.height()); };
    MenuItemMeasure item;
    const auto [caption, shortcut] = splitText(option.text);
    item.caption = option.menuItemType == QStyleOptionMenuItem::Separator ? QStringLiteral("-") : caption;
    item.shortcut = shortcut;
    item.hasSubmenu = option.menuItemType == QStyleOptionMenuItem::SubMenu;
    if (!option.icon.isNull())
        item.image = QSize(smallIconSize(), smallIconSize());
    // Qt proposes the bare caption's size. The platform's proposal had room for what is drawn around the
    // caption: the strip, the gap and blank before it and a margin after it as wide as the shortcut's.
    if (item.caption != QLatin1String("-")) {
        const int strip = std::max(m_painter.iconWidth(), item.image.width());
        proposed.rwidth() += strip + (item.image.width() > m_painter.iconWidth() ? 7 : 3) +
                             fm.horizontalAdvance(QLatin1Char(' ')) + 10;
    }
    QSize size = item.measure(m_painter.iconWidth(), textSize, proposed);
    // The menu adds the widest shortcut as a column of its own.
    if (!shortcut.isEmpty())
        size.rwidth() -= fm.horizontalAdvance(shortcut);
    return size;
}

QSize FlatMenuDrawing::measureMenuBarItem(const QStyleOptionMenuItem& option, QSize proposed) const
{
    const QFontMetrics fm(m_painter.font());
    MenuItemMeasure item;
    item.caption = option.text;
    item.onMenuBar = true;
    if (!option.icon.isNull())
        item.image = QSize(smallIconSize(), smallIconSize());
    // Qt proposes the bare title's size; the platform's proposal had room for the title drawn 7 pixels in
    // after a blank, the same margin after it, and the shadow of an open title.
    proposed.rwidth() += 7 + fm.horizontalAdvance(QLatin1Char(' ')) + 7 + 7;
    return item.measure(
        m_painter.iconWidth(),
        [&fm](const QString& s) { return QSize(fm.horizontalAdvance(s), fm.height()); }, proposed);
}

void FlatMenuDrawing::paintBackground(QPainter* p, const QRect& rect, int stripLeft, bool rightToLeft) const
{
    const Working& w = m_painter.workingColors();
    const int iconWidth = m_painter.iconWidth();
    if (m_painter.gradient() && m_painter.highColor()) {
        // One column at a time, lighter the farther from the strip's edge.
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const int column = rightToLeft ? stripLeft - x : x - stripLeft;
            const int level = column < 0 ? 0 : MenuColors::gradientLevel(column, iconWidth);
            p->fillRect(QRect(x, rect.top(), 1, rect.height()), c(MenuColors::lighten(w.iconStrip, level)));
        }
        return;
    }
    p->fillRect(rect, c(w.menuBackground));
    const QRect strip = rightToLeft ? QRect(stripLeft - iconWidth + 1, rect.top(), iconWidth, rect.height())
                                    : QRect(stripLeft, rect.top(), iconWidth, rect.height());
    p->fillRect(strip.intersected(rect), c(w.iconStrip));
}

void FlatMenuDrawing::drawMenuItem(QPainter* p, const QStyleOptionMenuItem& option) const
{
    const Working& w = m_painter.workingColors();
    const QRect r = option.rect;
    const bool rtl = option.direction == Qt::RightToLeft;
    const bool enabled = option.state & QStyle::State_Enabled;
    const bool selected = option.state & QStyle::State_Selected;
    const bool separator = option.menuItemType == QStyleOptionMenuItem::Separator;
    const int iconWidth = m_painter.iconWidth();

    QImage image = offscreen(p, r.size());
    QPainter ip(&image);
    ip.setFont(m_painter.font());
    const QRect local(QPoint(0, 0), r.size());
    auto mirrored = [&](const QRect& box) {
        return rtl ? QRect(local.width() - box.left() - box.width(), box.top(), box.width(), box.height())
                   : box;
    };

    paintBackground(&ip, local, rtl ? local.right() : 0, rtl);

    if (selected && enabled && m_painter.drawSelect() && !separator) {
        const QRect fill = local.adjusted(0, 1, m_painter.flatMenu() ? -1 : 0, -1);
        ip.fillRect(fill, c(w.selectionFill));
        ip.setPen(c(w.selectionFrame));
        ip.drawRect(fill.adjusted(0, 0, -1, -1));
    }

    const QRect strip = mirrored(QRect(0, 0, iconWidth, local.height()));
    const int iconSize = option.icon.isNull() ? 0 : smallIconSize();
    QRect imageRect;
    if (iconSize > 0) {
        imageRect = QRect(0, (local.height() - iconSize) / 2, iconSize, iconSize);
        if (iconSize < iconWidth)
            imageRect.moveLeft((iconWidth - iconSize) / 2);
        imageRect = mirrored(imageRect);
    }

    if (option.checkType != QStyleOptionMenuItem::NotCheckable && option.checked && !separator) {
        const QColor fill = c(selected ? w.checkedFillSelected : w.checkedFill);
        const bool radio = option.checkType == QStyleOptionMenuItem::Exclusive;
        ip.save();
        ip.setRenderHint(QPainter::Antialiasing, radio);
        if (iconSize > 0) {
            const QRect around = imageRect.adjusted(-2, -2, 1, 1);
            ip.setPen(c(enabled ? w.selectionFrame : w.disabledText));
            ip.setBrush(fill);
            if (radio)
                ip.drawRoundedRect(QRectF(around).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
            else
                ip.drawRect(around);
        } else {
            const QRect box(strip.left() + (strip.width() - 10) / 2, (local.height() - 10) / 2, 10, 10);
            if (radio) {
                const QColor frame = c(enabled ? w.selectionFrame : w.disabledText);
                ip.setPen(frame);
                ip.setBrush(fill);
                ip.drawEllipse(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
                ip.setBrush(frame);
                ip.drawEllipse(QRectF(box).adjusted(2.5, 2.5, -2.5, -2.5));
            } else {
                ip.fillRect(box, fill);
                ip.setPen(c(enabled ? w.checkFrame : w.disabledText));
                ip.drawRect(box.adjusted(0, 0, -1, -1));
                // Five strokes, each without its end point.
                const int L = box.left(), T = box.top(), R = box.right() + 1, B = box.bottom() + 1;
                ip.setPen(enabled ? QColor(Qt::black) : c(w.disabledText));
                const QLine strokes[] = {{L + 1, T + 5, L + 4, B - 2},
                                         {L + 2, T + 5, L + 4, B - 3},
                                         {L + 2, T + 4, L + 5, B - 3},
                                         {L + 4, B - 3, R + 2, T - 1},
                                         {L + 4, B - 2, R - 2, T + 3}};
                for (const QLine& s : strokes) {
                    const QPoint d = s.p2() - s.p1();
                    const int steps = std::max(std::abs(d.x()), std::abs(d.y()));
                    for (int i = 0; i < steps; ++i)
                        ip.drawPoint(s.x1() + d.x() * i / steps, s.y1() + d.y() * i / steps);
                }
            }
        }
        ip.restore();
    }

    if (iconSize > 0)
        drawIcon(&ip, option.icon, imageRect.topLeft(), imageRect.size(),
                 {enabled, selected && enabled, option.checked});

    if (separator) {
        const int y = int(std::lround(local.height() / 2.0));
        const QRect line = mirrored(QRect(iconWidth + 7, y, local.width() - iconWidth - 7, 1));
        ip.fillRect(line, c(w.separator));
    } else {
        const auto [caption, shortcut] = splitText(option.text);
        const QFontMetrics fm(m_painter.font());
        // Centred by the height of "W", the font's full line height.
        const int textHeight = fm.height();
        const int top = (local.height() - textHeight) / 2;
        const int left = iconSize > iconWidth ? iconSize + 7 : iconWidth + 3;
        const QColor color = !enabled   ? c(w.disabledText)
                             : selected ? c(w.selectedText)
                                        : m_painter.fontColor();
        const QRect textRect = mirrored(QRect(left, top, local.width() - left, textHeight));
        const int align = rtl ? Qt::AlignRight : Qt::AlignLeft;
        const QString text = QLatin1Char(' ') + caption;
        if (option.menuItemType == QStyleOptionMenuItem::DefaultItem) {
            // Four soft copies, each darker than the background under it.
            const QPoint offsets[] = {{1, 0}, {1, 2}, {0, 1}, {1, 1}};
            const int amounts[] = {30, 30, 40, 60};
            for (int i = 0; i < 4; ++i) {
                const QRect copy = textRect.translated(offsets[i]);
                const QRgb under = pixelAt(image, QPoint(copy.left() + 1, copy.center().y()));
                drawText(&ip, copy, text,
                         c(MenuColors::darken(FlatMenuStyle::toRgb(QColor::fromRgb(under)), amounts[i])),
                         align);
            }
        }
        drawText(&ip, textRect, text, color, align);
        if (!shortcut.isEmpty())
            drawText(&ip, mirrored(QRect(left, top, local.width() - left - 10, textHeight)),
                     shortcut + QLatin1Char(' '), color, rtl ? Qt::AlignLeft : Qt::AlignRight);
        if (option.menuItemType == QStyleOptionMenuItem::SubMenu)
            drawArrowRight(&ip, mirrored(QRect(local.width() - 10, 0, 8, local.height())), color, rtl);
    }
    ip.end();
    p->drawImage(r.topLeft(), image);
}

void FlatMenuDrawing::drawMenuBarItem(QPainter* p, const QStyleOptionMenuItem& option) const
{
    const Working& w = m_painter.workingColors();
    const QRect r = option.rect;
    const bool enabled = option.state & QStyle::State_Enabled;
    const bool open = option.state & QStyle::State_Sunken;
    const bool hot = option.state & QStyle::State_Selected;
    const bool ltr = option.direction == Qt::LeftToRight;

    QImage image = offscreen(p, r.size());
    QPainter ip(&image);
    ip.setFont(m_painter.font());
    const QRect local(QPoint(0, 0), r.size());
    ip.fillRect(local, c(w.menuBar));
    if (m_painter.drawMenuBar()) {
        ip.setPen(c(MenuColors::darken(w.menuBar, 30)));
        ip.drawLine(local.bottomLeft(), local.bottomRight());
    }

    const bool withShadow = ltr && m_painter.highColor();
    if (enabled && m_painter.drawSelect() && (open || hot)) {
        const QRect box = local.adjusted(0, 0, withShadow || !open ? -7 : -1, -1);
        if (open) {
            ip.fillRect(box, c(w.selectionFill));
            if (withShadow) {
                // Seven columns of shadow from four shades, darkest next to the title.
                const int widths[] = {2, 2, 2, 1};
                const int amounts[] = {100, 60, 30, 10};
                int x = box.right() + 1;
                for (int i = 0; i < 4; ++i) {
                    ip.fillRect(QRect(x, box.top() + 3, widths[i], box.height() - 2),
                                c(MenuColors::darken(w.menuBar, amounts[i])));
                    x += widths[i];
                }
            }
        }
        ip.setPen(c(w.selectionFrame));
        ip.drawRect(box.adjusted(0, 0, -1, 0));
    }

    const QFontMetrics fm(m_painter.font());
    const QColor color = !enabled ? c(w.disabledText) : open ? c(w.selectedText) : m_painter.fontColor();
    const QRect textRect(7, (local.height() - fm.height()) / 2, local.width() - 7, fm.height());
    drawText(&ip, textRect, QLatin1Char(' ') + option.text, color, Qt::AlignLeft);
    ip.end();
    p->drawImage(r.topLeft(), image);
}

void FlatMenuDrawing::drawIcon(QPainter* p, const QIcon& icon, const QPoint& topLeft, const QSize& size,
                               IconState state) const
{
    const qreal dpr = p->device() ? p->device()->devicePixelRatioF() : 1.0;
    QImage image = icon.pixmap(size, dpr).toImage().convertToFormat(QImage::Format_ARGB32);
    const bool high = m_painter.highColor();
    if (!state.enabled) {
        mapPixels(image, &MenuColors::gray, m_painter.grayLevel());
        mapPixels(image, &MenuColors::lighten, 40);
    } else if (state.selected && !state.checked) {
        // Raised by one pixel, with its silhouette as a shadow two pixels right of and below its place.
        QImage shadow = image;
        const QColor shade = c(MenuColors::darken(m_painter.workingColors().selectionFill, 50));
        for (int y = 0; y < shadow.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(shadow.scanLine(y));
            for (int x = 0; x < shadow.width(); ++x)
                line[x] = qRgba(shade.red(), shade.green(), shade.blue(), qAlpha(line[x]));
        }
        p->drawImage(QRect(topLeft + QPoint(1, 1), size), shadow);
        p->drawImage(QRect(topLeft - QPoint(1, 1), size), image);
        return;
    } else if (!state.checked && high) {
        mapPixels(image, &MenuColors::lighten, m_painter.dimLevel());
    }
    p->drawImage(QRect(topLeft, size), image);
}

void FlatMenuDrawing::drawText(QPainter* p, const QRect& rect, const QString& text, const QColor& color,
                               int alignment) const
{
    int flags = alignment | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextExpandTabs;
    flags |= m_style.styleHint(QStyle::SH_UnderlineShortcut) ? Qt::TextShowMnemonic : Qt::TextHideMnemonic;
    p->save();
    p->setPen(color);
    p->drawText(rect, flags, text);
    p->restore();
}
