#pragma once

#include <QProxyStyle>

class TFlatMenuPainter;
class QStyleOptionMenuItem;

// The style the flat menu painter gives the widgets it takes over: a proxy over a fresh instance of the
// application's style that draws menus, the menu bar and tool bar buttons flat with the painter's working
// colours, and frames edits, lists, buttons and panels with one-pixel lines. Everything else, and every
// menu item whose "Tag" is 999, is drawn by the platform style underneath.
class FlatMenuStyle : public QProxyStyle
{
    Q_OBJECT

public:
    explicit FlatMenuStyle(TFlatMenuPainter* painter);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

    // 0x00BBGGRR values and QColor.
    static QColor toColor(quint32 rgb);
    static quint32 toRgb(const QColor& color);
    // The menu item an option belongs to (nullptr when it cannot be told): by the item's place when it is
    // drawn, by its caption while the menu is still measured.
    static const QAction* actionOf(const QStyleOptionMenuItem* option, const QWidget* widget, bool placed);

private:
    bool keepsPlatformItem(const QStyleOptionMenuItem* option, const QWidget* widget, bool placed) const;
    bool isHot(const QWidget* widget) const;
    // The idle and hot frame colours of a taken-over control.
    QColor frameColor(const QWidget* widget, bool hot, int hotLighten) const;
    void drawFlatFrame(QPainter* painter, const QRect& rect, const QColor& color) const;
    void drawToolButton(const QStyleOptionComplex* option, QPainter* painter, const QWidget* widget) const;
    void drawComboBox(const QStyleOptionComplex* option, QPainter* painter, const QWidget* widget) const;
    void drawSpinBox(const QStyleOptionComplex* option, QPainter* painter, const QWidget* widget) const;
    void drawCheckIndicator(const QStyleOption* option, QPainter* painter, const QWidget* widget,
                            bool radio) const;
    void drawButtonPanel(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;

    TFlatMenuPainter* m_painter;
};
