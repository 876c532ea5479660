#pragma once

#include "menus/MenuColors.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QObject>
#include <QPointer>

#include <bitset>

class FlatMenuStyle;
class QWidget;
class TControlSubClass;

// The flat menu painter of a window. While it is active, the window's menu bar, pop-up menus and tool bars
// are drawn flat with a coloured icon strip, and its edits, lists, buttons and panels get flat one-pixel
// frames in the painter's colours. In Qt terms it gives each of those widgets its own style, a proxy over
// the platform style (FlatMenuStyle), and takes it back when it goes inactive.
//
// A widget, menu item (QAction) or parent widget whose dynamic property "Tag" is 999 is left alone.
class TFlatMenuPainter : public QObject
{
    Q_OBJECT

public:
    enum PaintedControl
    {
        pcMainMenu,
        pcPopupMenu,
        pcToolbar,
        pcControlbar,
        pcCombo,
        pcListBox,
        pcEdit,
        pcMaskEdit,
        pcMemo,
        pcRichEdit,
        pcMiscEdit,
        pcCheckBox,
        pcRadioButton,
        pcButton,
        pcBitBtn,
        pcSpeedButton,
        pcUpDown,
        pcPanel,
        pcGroupBox,
        pcTreeView,
        pcListView,
        pcProgressBar,
        pcHotKey,
        PaintedControlCount
    };
    enum PaintedContainer
    {
        pccForm,
        pccFrame,
        pccToolbar,
        pccCoolbar,
        pccControlbar,
        pccPanel,
        pccScrollBox,
        pccGroupBox,
        pccTabSheet,
        pccPageScroller,
        PaintedContainerCount
    };
    using PaintedControls = std::bitset<PaintedControlCount>;
    using PaintedContainers = std::bitset<PaintedContainerCount>;

    // The value a widget's dynamic property "Tag" has when the painter must leave it alone.
    static constexpr int kKeepPlatformTag = 999;

    // A painter for the window owner (its parent), inactive, with the values of a new painter.
    explicit TFlatMenuPainter(QWidget* owner);
    ~TFlatMenuPainter() override;

    // The main window's painter: active, the desktop's menu font, dimmed selection colours, every control but
    // group boxes.
    void applyMainWindowDesign();

    QWidget* owner() const { return m_owner; }

    bool active() const { return m_active; }
    void setActive(bool active);
    // Whether menus, tool bar buttons and controls added to the window later are taken over as they appear
    // (items added to a menu already taken over are always drawn flat).
    bool autoDetect() const { return m_autoDetect; }
    void setAutoDetect(bool on) { m_autoDetect = on; }
    QFont font() const { return m_font; }
    void setFont(const QFont& font);
    // The colour of the painter's font.
    QColor fontColor() const { return m_fontColor; }
    void setFontColor(const QColor& color);
    QColor color() const { return m_color; }
    void setColor(const QColor& color);
    QColor iconBackColor() const { return m_iconBackColor; }
    void setIconBackColor(const QColor& color);
    QColor menuBarColor() const { return m_menuBarColor; }
    void setMenuBarColor(const QColor& color);
    QColor selectColor() const { return m_selectColor; }
    void setSelectColor(const QColor& color);
    QColor selectBorderColor() const { return m_selectBorderColor; }
    void setSelectBorderColor(const QColor& color);
    QColor selectFontColor() const { return m_selectFontColor; }
    void setSelectFontColor(const QColor& color);
    QColor disabledColor() const { return m_disabledColor; }
    void setDisabledColor(const QColor& color);
    QColor separatorColor() const { return m_separatorColor; }
    void setSeparatorColor(const QColor& color);
    QColor checkedColor() const { return m_checkedColor; }
    void setCheckedColor(const QColor& color);
    int iconWidth() const { return m_iconWidth; }
    void setIconWidth(int width);
    bool drawSelect() const { return m_drawSelect; }
    void setDrawSelect(bool on);
    bool useSystemColors() const { return m_useSystemColors; }
    void setUseSystemColors(bool on);
    bool useDimColor() const { return m_useDimColor; }
    void setUseDimColor(bool on);
    int dimLevel() const { return m_dimLevel; }
    void setDimLevel(int percent);
    int grayLevel() const { return m_grayLevel; }
    void setGrayLevel(int level);
    // Qt styles draw every item of a menu that has one: there are no item handlers of other owners to
    // keep, so this is stored only.
    bool overrideOwnerDraw() const { return m_overrideOwnerDraw; }
    void setOverrideOwnerDraw(bool on) { m_overrideOwnerDraw = on; }
    bool gradient() const { return m_gradient; }
    void setGradient(bool on);
    bool flatMenu() const { return m_flatMenu; }
    void setFlatMenu(bool on);
    bool drawMenuBar() const { return m_drawMenuBar; }
    void setDrawMenuBar(bool on);
    PaintedContainers paintedContainers() const { return m_paintedContainers; }
    void setPaintedContainers(PaintedContainers containers);
    PaintedControls paintedControls() const { return m_paintedControls; }
    void setPaintedControls(PaintedControls controls);
    bool disableSubclassing() const { return m_disableSubclassing; }
    void setDisableSubclassing(bool on);

    // The working colours, recomputed first when a colour has changed.
    const MenuColors::Working& workingColors();
    // Whether the screen has 16 or more bits per pixel.
    bool highColor() const { return m_highColor; }
    FlatMenuStyle* style() const { return m_style; }

    // Takes over the widgets of a part built after the window (a page made when first shown). Does
    // nothing while inactive.
    void takeOver(QWidget* root);
    // A widget that appeared in the owner or in a window the manager gave this painter (AutoDetect).
    void detected(QWidget* widget);
    // The windows the manager gave this painter (besides its own).
    void applyToWindow(QWidget* window);
    void takeBackWindow(QWidget* window);
    bool isTakenOver(const QWidget* widget) const;
    // Whether a taken-over control is highlighted: the mouse over it or the focus in it.
    bool isHighlighted(const QWidget* widget) const;
    // What kind of control or container a widget is to the painter; -1 for none.
    static int paintedControlOf(const QWidget* widget);
    static int paintedContainerOf(const QWidget* control);
    static bool keepsPlatformLook(const QObject* object);

private:
    void applyTo(QWidget* root);
    void takeBackAll();
    void take(QWidget* widget);
    void colorsChanged();
    void repaintMenuBar();
    TControlSubClass* subclassOf(const QWidget* widget) const;

    QPointer<QWidget> m_owner;
    FlatMenuStyle* m_style = nullptr;
    QList<TControlSubClass*> m_subclasses;
    QList<QPointer<QWidget>> m_windows;

    bool m_active = false;
    bool m_autoDetect = false;
    QFont m_font;
    QColor m_fontColor;
    QColor m_color;
    QColor m_iconBackColor;
    QColor m_menuBarColor;
    QColor m_selectColor;
    QColor m_selectBorderColor;
    QColor m_selectFontColor;
    QColor m_disabledColor;
    QColor m_separatorColor;
    QColor m_checkedColor;
    int m_iconWidth = 24;
    bool m_drawSelect = true;
    bool m_useSystemColors = true;
    bool m_useDimColor = false;
    int m_dimLevel = 30;
    int m_grayLevel = 10;
    bool m_overrideOwnerDraw = false;
    bool m_gradient = false;
    bool m_flatMenu = false;
    bool m_drawMenuBar = false;
    PaintedContainers m_paintedContainers;
    PaintedControls m_paintedControls;
    bool m_disableSubclassing = false;

    bool m_colorsDirty = true;
    bool m_highColor = true;
    MenuColors::Working m_working;
};
