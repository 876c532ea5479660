#pragma once

#include <QRect>
#include <QSize>

class QIcon;
class QPainter;
class QString;
class QColor;
class QStyle;
class QStyleOptionMenuItem;
class QWidget;
class TFlatMenuPainter;

// How the flat menu painter measures and draws one menu item, a menu bar title, a menu's background and
// an icon. Each item is drawn on an off-screen image first and copied to the screen in one step.
class FlatMenuDrawing
{
public:
    FlatMenuDrawing(TFlatMenuPainter& painter, const QStyle& style);

    QSize measureMenuItem(const QStyleOptionMenuItem& option, QSize proposed) const;
    QSize measureMenuBarItem(const QStyleOptionMenuItem& option, QSize proposed) const;

    // The menu background with the icon strip along the item edge at stripLeft (or the gradient).
    void paintBackground(QPainter* p, const QRect& rect, int stripLeft, bool rightToLeft) const;
    void drawMenuItem(QPainter* p, const QStyleOptionMenuItem& option) const;
    void drawMenuBarItem(QPainter* p, const QStyleOptionMenuItem& option) const;

    struct IconState
    {
        bool enabled = true;
        bool selected = false;
        bool checked = false;
    };
    // The icon at topLeft: dimmed while idle, grayed when disabled, raised with a shadow when selected.
    void drawIcon(QPainter* p, const QIcon& icon, const QPoint& topLeft, const QSize& size,
                  IconState state) const;
    // Text with the mnemonic "&" underlined the platform's way, tabs expanded.
    void drawText(QPainter* p, const QRect& rect, const QString& text, const QColor& color,
                  int alignment) const;

    int smallIconSize() const;

private:
    TFlatMenuPainter& m_painter;
    const QStyle& m_style;
};
