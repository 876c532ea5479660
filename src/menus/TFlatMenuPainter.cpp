#include "menus/TFlatMenuPainter.h"

#include "menus/FlatMenuStyle.h"
#include "menus/TControlSubClass.h"
#include "menus/TFlatMenuManager.h"
#include "platform/desktop/SystemColor.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDockWidget>
#include <QGroupBox>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>
#include <utility>

namespace {
// The platform's system colours, by their index in the settings file's colour numbering.
QColor systemColor(quint32 index)
{
    return SystemColor::toQColor(0x80000000u | index);
}
constexpr quint32 kButtonFace = 15;
constexpr quint32 kHighlight = 13;
constexpr quint32 kWindowText = 8;
constexpr quint32 kInactiveCaption = 3;
constexpr quint32 kInactiveBorder = 11;
constexpr quint32 kButtonShadow = 16;

bool isLayoutHolder(const QWidget* w)
{
    // Widgets that only arrange others: the container a control belongs to lies beyond them.
    const QMetaObject* meta = w->metaObject();
    return meta == &QWidget::staticMetaObject || meta == &QSplitter::staticMetaObject ||
           meta == &QStackedWidget::staticMetaObject;
}

bool isControlOwningChildren(const QWidget* w)
{
    // The parts of these (line edits, view ports, scroll bars, headers) are theirs, not the window's.
    return qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QKeySequenceEdit*>(w) || qobject_cast<const QAbstractScrollArea*>(w);
}
// Within the window, pop-up menus included (they are windows of their own, parented to it).
bool belongsTo(const QObject* object, const QObject* window)
{
    for (; object; object = object->parent()) {
        if (object == window)
            return true;
    }
    return false;
}
} // namespace

TFlatMenuPainter::TFlatMenuPainter(QWidget* owner) : QObject(owner), m_owner(owner)
{
    setObjectName(QStringLiteral("MenuPainter"));
    m_font = QApplication::font("QMenu");
    m_fontColor = systemColor(kWindowText);
    m_color = systemColor(kButtonFace);
    m_iconBackColor = systemColor(kButtonFace);
    m_menuBarColor = systemColor(kButtonFace);
    m_selectColor = systemColor(kHighlight);
    m_selectBorderColor = systemColor(kHighlight);
    m_selectFontColor = m_fontColor;
    m_disabledColor = systemColor(kInactiveCaption);
    m_separatorColor = systemColor(kButtonFace);
    m_checkedColor = systemColor(kHighlight);
    m_paintedContainers.set();
    m_paintedControls.set();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        m_highColor = screen->depth() >= 16;
    m_style = new FlatMenuStyle(this);
    TFlatMenuManager::instance()->registerPainter(this);
}

TFlatMenuPainter::~TFlatMenuPainter()
{
    if (TFlatMenuManager* manager = TFlatMenuManager::existing())
        manager->unregisterPainter(this);
    // Each widget given back repaints itself; the owner may be going away already, so it is not asked.
    takeBackAll();
    delete m_style;
}

void TFlatMenuPainter::applyMainWindowDesign()
{
    // The desktop's own menu font, family and size.
    setFont(QApplication::font("QMenu"));
    setIconBackColor(systemColor(kInactiveBorder));
    setSelectFontColor(systemColor(kWindowText));
    setSeparatorColor(systemColor(kButtonShadow));
    setUseSystemColors(false);
    setUseDimColor(true);
    PaintedControls controls;
    controls.set();
    controls.reset(pcGroupBox);
    setPaintedControls(controls);
    setActive(true);
}

void TFlatMenuPainter::setActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    if (active) {
        applyTo(m_owner);
    } else {
        takeBackAll();
    }
    repaintMenuBar();
    TFlatMenuManager::instance()->choose();
}

void TFlatMenuPainter::setFont(const QFont& font)
{
    if (m_font == font)
        return;
    m_font = font;
    for (TControlSubClass* s : std::as_const(m_subclasses)) {
        if (QWidget* w = s->control(); w && (qobject_cast<QMenu*>(w) || qobject_cast<QMenuBar*>(w)))
            w->setFont(font);
    }
    repaintMenuBar();
}

#define FLAT_COLOR_SETTER(Setter, member)                                                                    \
    void TFlatMenuPainter::Setter(const QColor& color)                                                       \
    {                                                                                                        \
        if (member == color)                                                                                 \
            return;                                                                                          \
        member = color;                                                                                      \
        colorsChanged();                                                                                     \
    }
FLAT_COLOR_SETTER(setFontColor, m_fontColor)
FLAT_COLOR_SETTER(setColor, m_color)
FLAT_COLOR_SETTER(setIconBackColor, m_iconBackColor)
FLAT_COLOR_SETTER(setSelectColor, m_selectColor)
FLAT_COLOR_SETTER(setSelectBorderColor, m_selectBorderColor)
FLAT_COLOR_SETTER(setSelectFontColor, m_selectFontColor)
FLAT_COLOR_SETTER(setDisabledColor, m_disabledColor)
FLAT_COLOR_SETTER(setSeparatorColor, m_separatorColor)
FLAT_COLOR_SETTER(setCheckedColor, m_checkedColor)
#undef FLAT_COLOR_SETTER

void TFlatMenuPainter::setMenuBarColor(const QColor& color)
{
    if (m_menuBarColor == color)
        return;
    m_menuBarColor = color;
    colorsChanged();
    repaintMenuBar();
}

void TFlatMenuPainter::setUseSystemColors(bool on)
{
    if (m_useSystemColors == on)
        return;
    m_useSystemColors = on;
    colorsChanged();
    repaintMenuBar();
}

void TFlatMenuPainter::setUseDimColor(bool on)
{
    if (m_useDimColor == on)
        return;
    m_useDimColor = on;
    colorsChanged();
}

void TFlatMenuPainter::setIconWidth(int width)
{
    m_iconWidth = std::max(width, 0);
    repaintMenuBar();
}

void TFlatMenuPainter::setDrawSelect(bool on)
{
    m_drawSelect = on;
}

void TFlatMenuPainter::setDimLevel(int percent)
{
    m_dimLevel = std::clamp(percent, 0, 255);
}

void TFlatMenuPainter::setGrayLevel(int level)
{
    m_grayLevel = std::clamp(level, 0, 255);
}

void TFlatMenuPainter::setGradient(bool on)
{
    m_gradient = on;
}

void TFlatMenuPainter::setFlatMenu(bool on)
{
    m_flatMenu = on;
}

void TFlatMenuPainter::setDrawMenuBar(bool on)
{
    m_drawMenuBar = on;
    repaintMenuBar();
}

void TFlatMenuPainter::setPaintedContainers(PaintedContainers containers)
{
    if (m_paintedContainers == containers)
        return;
    const bool wasActive = m_active;
    if (wasActive)
        takeBackAll();
    m_paintedContainers = containers;
    if (wasActive)
        applyTo(m_owner);
}

void TFlatMenuPainter::setPaintedControls(PaintedControls controls)
{
    if (m_paintedControls == controls)
        return;
    const bool wasActive = m_active;
    if (wasActive)
        takeBackAll();
    m_paintedControls = controls;
    if (wasActive)
        applyTo(m_owner);
}

void TFlatMenuPainter::setDisableSubclassing(bool on)
{
    if (m_disableSubclassing == on)
        return;
    m_disableSubclassing = on;
    TFlatMenuManager::instance()->choose();
}

void TFlatMenuPainter::colorsChanged()
{
    m_colorsDirty = true;
    for (TControlSubClass* s : std::as_const(m_subclasses)) {
        if (QWidget* w = s->control())
            w->update();
    }
}

const MenuColors::Working& TFlatMenuPainter::workingColors()
{
    if (m_colorsDirty) {
        MenuColors::Properties p;
        p.color = FlatMenuStyle::toRgb(m_color);
        p.iconBackColor = FlatMenuStyle::toRgb(m_iconBackColor);
        p.menuBarColor = FlatMenuStyle::toRgb(m_menuBarColor);
        p.selectColor = FlatMenuStyle::toRgb(m_selectColor);
        p.selectBorderColor = FlatMenuStyle::toRgb(m_selectBorderColor);
        p.selectFontColor = FlatMenuStyle::toRgb(m_selectFontColor);
        p.disabledColor = FlatMenuStyle::toRgb(m_disabledColor);
        p.separatorColor = FlatMenuStyle::toRgb(m_separatorColor);
        p.checkedColor = FlatMenuStyle::toRgb(m_checkedColor);
        p.fontColor = FlatMenuStyle::toRgb(m_fontColor);
        p.useSystemColors = m_useSystemColors;
        p.useDimColor = m_useDimColor;
        const MenuColors::SystemColors sys{FlatMenuStyle::toRgb(systemColor(kButtonFace)),
                                           FlatMenuStyle::toRgb(systemColor(kHighlight)),
                                           FlatMenuStyle::toRgb(systemColor(kButtonShadow))};
        m_working = MenuColors::workingColors(p, sys, m_highColor);
        m_colorsDirty = false;
    }
    return m_working;
}

void TFlatMenuPainter::repaintMenuBar()
{
    if (!m_owner)
        return;
    for (QMenuBar* bar : m_owner->findChildren<QMenuBar*>()) {
        bar->updateGeometry();
        bar->update();
    }
}

bool TFlatMenuPainter::keepsPlatformLook(const QObject* object)
{
    if (!object)
        return false;
    bool ok = false;
    const int tag = object->property("Tag").toInt(&ok);
    return ok && tag == kKeepPlatformTag;
}

int TFlatMenuPainter::paintedControlOf(const QWidget* w)
{
    if (!w)
        return -1;
    if (qobject_cast<const QMenuBar*>(w))
        return pcMainMenu;
    if (qobject_cast<const QMenu*>(w)) {
        for (const QObject* o = w->parent(); o; o = o->parent()) {
            if (qobject_cast<const QMenuBar*>(o))
                return pcMainMenu;
            if (!qobject_cast<const QMenu*>(o))
                break;
        }
        return pcPopupMenu;
    }
    if (qobject_cast<const QToolBar*>(w))
        return pcToolbar;
    if (qobject_cast<const QToolButton*>(w))
        return qobject_cast<const QToolBar*>(w->parentWidget()) ? pcToolbar : pcSpeedButton;
    if (qobject_cast<const QDockWidget*>(w))
        return pcControlbar;
    if (qobject_cast<const QComboBox*>(w))
        return pcCombo;
    if (qobject_cast<const QKeySequenceEdit*>(w))
        return pcHotKey;
    if (const auto* edit = qobject_cast<const QLineEdit*>(w))
        return edit->inputMask().isEmpty() ? pcEdit : pcMaskEdit;
    if (qobject_cast<const QDateTimeEdit*>(w))
        return pcMiscEdit;
    if (qobject_cast<const QAbstractSpinBox*>(w))
        return pcUpDown;
    if (qobject_cast<const QTextBrowser*>(w))
        return pcRichEdit;
    if (const auto* text = qobject_cast<const QTextEdit*>(w))
        return text->acceptRichText() ? pcRichEdit : pcMemo;
    if (qobject_cast<const QPlainTextEdit*>(w))
        return pcMemo;
    if (qobject_cast<const QCheckBox*>(w))
        return pcCheckBox;
    if (qobject_cast<const QRadioButton*>(w))
        return pcRadioButton;
    if (const auto* button = qobject_cast<const QPushButton*>(w))
        return button->icon().isNull() ? pcButton : pcBitBtn;
    if (qobject_cast<const QGroupBox*>(w))
        return pcGroupBox;
    if (const auto* tree = qobject_cast<const QTreeView*>(w))
        return tree->rootIsDecorated() ? pcTreeView : pcListView;
    if (qobject_cast<const QTableView*>(w))
        return pcListView;
    if (qobject_cast<const QListView*>(w))
        return pcListBox;
    if (qobject_cast<const QProgressBar*>(w))
        return pcProgressBar;
    if (const auto* frame = qobject_cast<const QFrame*>(w);
        frame && frame->metaObject() == &QFrame::staticMetaObject && frame->frameShape() != QFrame::NoFrame)
        return pcPanel;
    return -1;
}

int TFlatMenuPainter::paintedContainerOf(const QWidget* control)
{
    const QWidget* parent = control ? control->parentWidget() : nullptr;
    while (parent && !parent->isWindow() && isLayoutHolder(parent))
        parent = parent->parentWidget();
    if (!parent)
        return -1;
    if (parent->isWindow())
        return pccForm;
    if (qobject_cast<const QToolBar*>(parent))
        return pccToolbar;
    if (qobject_cast<const QDockWidget*>(parent))
        return pccControlbar;
    if (qobject_cast<const QScrollArea*>(parent))
        return pccScrollBox;
    if (qobject_cast<const QGroupBox*>(parent))
        return pccGroupBox;
    if (qobject_cast<const QTabWidget*>(parent))
        return pccTabSheet;
    if (isControlOwningChildren(parent))
        return -1;
    if (parent->metaObject() == &QFrame::staticMetaObject)
        return pccPanel;
    // A composite of the program's own (a page, a calendar) is what a frame is to a window.
    if (!QByteArray(parent->metaObject()->className()).startsWith('Q'))
        return pccFrame;
    return -1;
}

void TFlatMenuPainter::applyTo(QWidget* root)
{
    if (!root || !m_active)
        return;
    take(root);
    for (QWidget* w : root->findChildren<QWidget*>())
        take(w);
}

void TFlatMenuPainter::take(QWidget* widget)
{
    if (subclassOf(widget) || keepsPlatformLook(widget) || keepsPlatformLook(widget->parentWidget()))
        return;
    const int kind = paintedControlOf(widget);
    if (kind < 0 || !m_paintedControls.test(size_t(kind)))
        return;
    const bool needsContainer =
        kind != pcMainMenu && kind != pcPopupMenu && kind != pcToolbar && kind != pcControlbar;
    if (needsContainer) {
        const int container = paintedContainerOf(widget);
        if (container < 0 || !m_paintedContainers.test(size_t(container)))
            return;
    }
    auto* subclass = new TControlSubClass(widget, this);
    m_subclasses.append(subclass);
    // By the time destroyed() is sent the object is a bare QObject: the pointer is compared, never cast.
    connect(subclass, &QObject::destroyed, this, [this, subclass] { m_subclasses.removeAll(subclass); });
}

void TFlatMenuPainter::takeOver(QWidget* root)
{
    applyTo(root);
}

void TFlatMenuPainter::detected(QWidget* widget)
{
    if (!m_active || !widget)
        return;
    bool ours = belongsTo(widget, m_owner);
    for (const QPointer<QWidget>& w : std::as_const(m_windows))
        ours = ours || belongsTo(widget, w);
    if (ours)
        take(widget);
}

void TFlatMenuPainter::applyToWindow(QWidget* window)
{
    if (!m_windows.contains(window))
        m_windows.append(window);
    applyTo(window);
}

void TFlatMenuPainter::takeBackWindow(QWidget* window)
{
    m_windows.removeAll(window);
    const QList<TControlSubClass*> subclasses = m_subclasses;
    for (TControlSubClass* s : subclasses) {
        QWidget* w = s->control();
        if (w && belongsTo(w, window)) {
            m_subclasses.removeAll(s);
            delete s;
        }
    }
}

void TFlatMenuPainter::takeBackAll()
{
    const QList<TControlSubClass*> subclasses = std::exchange(m_subclasses, {});
    for (TControlSubClass* s : subclasses) {
        disconnect(s, &QObject::destroyed, this, nullptr);
        delete s;
    }
    m_windows.clear();
}

TControlSubClass* TFlatMenuPainter::subclassOf(const QWidget* widget) const
{
    for (TControlSubClass* s : m_subclasses) {
        if (s->control() == widget)
            return s;
    }
    return nullptr;
}

bool TFlatMenuPainter::isTakenOver(const QWidget* widget) const
{
    return widget && subclassOf(widget);
}

bool TFlatMenuPainter::isHighlighted(const QWidget* widget) const
{
    const TControlSubClass* s = subclassOf(widget);
    return s && s->highlighted();
}
