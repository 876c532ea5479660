#include "menus/TControlSubClass.h"

#include "menus/FlatMenuStyle.h"
#include "menus/MenuColors.h"
#include "menus/TFlatMenuPainter.h"

#include <QEvent>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

TControlSubClass::TControlSubClass(QWidget* control, TFlatMenuPainter* painter)
    : QObject(painter), m_control(control), m_painter(painter)
{
    m_hadOwnStyle = control->testAttribute(Qt::WA_SetStyle);
    if (m_hadOwnStyle)
        m_previousStyle = control->style();
    m_hadHover = control->testAttribute(Qt::WA_Hover);

    // Menus measure their items in the painter's font, so that the menu's own layout and the drawing agree.
    if (qobject_cast<QMenu*>(control) || qobject_cast<QMenuBar*>(control)) {
        m_previousFont = control->testAttribute(Qt::WA_SetFont) ? control->font() : QFont();
        control->setFont(painter->font());
    }
    // A panel's bevels are drawn by the frame itself from the palette's light and dark colours.
    if (TFlatMenuPainter::paintedControlOf(control) == TFlatMenuPainter::pcPanel) {
        m_previousPalette = control->testAttribute(Qt::WA_SetPalette) ? control->palette() : QPalette();
        QPalette p = control->palette();
        const quint32 face = FlatMenuStyle::toRgb(p.color(QPalette::Window));
        p.setColor(QPalette::Light, FlatMenuStyle::toColor(MenuColors::lighten(face, 60)));
        p.setColor(QPalette::Dark, FlatMenuStyle::toColor(MenuColors::darken(face, 60)));
        control->setPalette(p);
    }
    control->setAttribute(Qt::WA_Hover, true);
    control->setStyle(painter->style());
    control->installEventFilter(this);
    connect(control, &QObject::destroyed, this, [this] { deleteLater(); });
}

TControlSubClass::~TControlSubClass()
{
    if (!m_control)
        return;
    m_control->removeEventFilter(this);
    m_control->setStyle(m_hadOwnStyle ? m_previousStyle.data() : nullptr);
    m_control->setAttribute(Qt::WA_Hover, m_hadHover);
    if (m_previousFont)
        m_control->setFont(*m_previousFont);
    if (m_previousPalette)
        m_control->setPalette(*m_previousPalette);
    m_control->update();
}

void TControlSubClass::setHighlight(bool on)
{
    if (m_highlight == on)
        return;
    m_highlight = on;
    m_control->update();
}

bool TControlSubClass::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_control)
        return false;
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::HoverEnter:
        setHighlight(m_control->isEnabled());
        break;
    case QEvent::FocusIn:
        setHighlight(true);
        break;
    case QEvent::Leave:
    case QEvent::HoverLeave:
        setHighlight(m_control->hasFocus());
        break;
    case QEvent::FocusOut:
        setHighlight(m_control->underMouse() && m_control->isEnabled());
        break;
    case QEvent::EnabledChange:
        if (!m_control->isEnabled())
            setHighlight(false);
        m_control->update();
        break;
    default:
        break;
    }
    return false;
}
