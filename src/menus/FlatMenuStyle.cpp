#include "menus/FlatMenuStyle.h"

#include "menus/FlatMenuDrawing.h"
#include "menus/MenuColors.h"
#include "menus/TFlatMenuPainter.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>
#include <QToolBar>
#include <QToolButton>

namespace {
using MenuColors::Working;

QColor c(quint32 rgb)
{
    return FlatMenuStyle::toColor(rgb);
}

QString captionOf(const QString& text)
{
    return text.section(QLatin1Char('\t'), 0, 0);
}

// The platform style underneath: a fresh instance of the application's, owned by the proxy.
QStyle* platformStyle()
{
    const QString name = QApplication::style() ? QApplication::style()->name() : QString();
    return name.isEmpty() ? nullptr : QStyleFactory::create(name);
}

void drawTriangle(QPainter* p, const QRect& area, Qt::ArrowType direction, const QColor& color)
{
    const QPoint m = area.center();
    QPolygon t;
    switch (direction) {
    case Qt::UpArrow:
        t << QPoint(m.x() - 3, m.y() + 1) << QPoint(m.x() + 3, m.y() + 1) << QPoint(m.x(), m.y() - 2);
        break;
    default:
        t << QPoint(m.x() - 3, m.y() - 1) << QPoint(m.x() + 3, m.y() - 1) << QPoint(m.x(), m.y() + 2);
        break;
    }
    p->save();
    p->setPen(color);
    p->setBrush(color);
    p->drawPolygon(t);
    p->restore();
}
} // namespace

FlatMenuStyle::FlatMenuStyle(TFlatMenuPainter* painter) : QProxyStyle(platformStyle()), m_painter(painter) {}

QColor FlatMenuStyle::toColor(quint32 rgb)
{
    return QColor(int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF));
}

quint32 FlatMenuStyle::toRgb(const QColor& color)
{
    return quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16);
}

const QAction* FlatMenuStyle::actionOf(const QStyleOptionMenuItem* option, const QWidget* widget, bool placed)
{
    QList<QAction*> actions;
    if (const auto* menu = qobject_cast<const QMenu*>(widget)) {
        if (placed)
            return menu->actionAt(option->rect.center());
        actions = menu->actions();
    } else if (const auto* bar = qobject_cast<const QMenuBar*>(widget)) {
        if (placed)
            return bar->actionAt(option->rect.center());
        actions = bar->actions();
    }
    // While the menu is measured its items have no places yet: they are told by their captions.
    if (option->menuItemType == QStyleOptionMenuItem::Separator)
        return nullptr;
    const QString caption = captionOf(option->text);
    for (const QAction* a : actions) {
        if (!a->isSeparator() && captionOf(a->text()) == caption)
            return a;
    }
    return nullptr;
}

bool FlatMenuStyle::keepsPlatformItem(const QStyleOptionMenuItem* option, const QWidget* widget,
                                      bool placed) const
{
    const QAction* action = actionOf(option, widget, placed);
    return action && (TFlatMenuPainter::keepsPlatformLook(action) ||
                      (action->menu() && TFlatMenuPainter::keepsPlatformLook(action->menu())));
}

bool FlatMenuStyle::isHot(const QWidget* widget) const
{
    return widget && widget->isEnabled() && m_painter->isHighlighted(widget);
}

QColor FlatMenuStyle::frameColor(const QWidget* widget, bool hot, int hotLighten) const
{
    if (hot)
        return c(MenuColors::lighten(m_painter->workingColors().selectionFrame, hotLighten));
    const QWidget* parent = widget ? widget->parentWidget() : nullptr;
    const QColor parentColor = parent ? parent->palette().color(parent->backgroundRole())
                                      : QApplication::palette().color(QPalette::Window);
    return c(MenuColors::darken(toRgb(parentColor), 60));
}

void FlatMenuStyle::drawFlatFrame(QPainter* painter, const QRect& rect, const QColor& color) const
{
    painter->save();
    painter->setPen(color);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(rect.adjusted(0, 0, -1, -1));
    painter->restore();
}

void FlatMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const
{
    const bool takenOver = m_painter->isTakenOver(widget);
    switch (element) {
    case PE_PanelMenu:
        if (qobject_cast<const QMenu*>(widget)) {
            const bool rtl = option->direction == Qt::RightToLeft;
            const int fw = pixelMetric(PM_MenuPanelWidth, option, widget);
            FlatMenuDrawing(*m_painter, *this)
                .paintBackground(painter, option->rect, rtl ? option->rect.right() - fw : fw, rtl);
            return;
        }
        break;
    case PE_FrameMenu:
        if (m_painter->flatMenu() && qobject_cast<const QMenu*>(widget)) {
            drawFlatFrame(painter, option->rect,
                          c(MenuColors::darken(m_painter->workingColors().separator, 40)));
            return;
        }
        break;
    case PE_PanelMenuBar:
        if (qobject_cast<const QMenuBar*>(widget)) {
            painter->fillRect(option->rect, c(m_painter->workingColors().menuBar));
            return;
        }
        break;
    case PE_PanelToolBar:
        if (takenOver) {
            // A tool bar with a picture shows it through; any other is one flat colour.
            const QBrush brush = widget->palette().brush(QPalette::Window);
            if (brush.style() == Qt::SolidPattern)
                painter->fillRect(option->rect, brush.color());
            return;
        }
        break;
    case PE_IndicatorToolBarSeparator:
        if (takenOver) {
            const QRect r = option->rect;
            painter->save();
            painter->setPen(c(m_painter->workingColors().separator));
            if (option->state & State_Horizontal)
                painter->drawLine(r.center().x(), r.top() + 2, r.center().x(), r.bottom() - 2);
            else
                painter->drawLine(r.left() + 2, r.center().y(), r.right() - 2, r.center().y());
            painter->restore();
            return;
        }
        break;
    case PE_Frame:
        if (takenOver) {
            drawFlatFrame(painter, option->rect, frameColor(widget, isHot(widget), 60));
            return;
        }
        break;
    case PE_PanelLineEdit:
        if (takenOver) {
            painter->fillRect(option->rect, option->palette.brush(QPalette::Base));
            const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
            if (frame && frame->lineWidth > 0) {
                drawFlatFrame(painter, option->rect, frameColor(widget, isHot(widget), 60));
            } else if (widget && widget->underMouse() && !widget->hasFocus()) {
                // A borderless edit shows a faint frame while the mouse is over it.
                const QColor own = option->palette.color(QPalette::Base);
                const QColor parent =
                    widget->parentWidget() ? widget->parentWidget()->palette().color(QPalette::Window) : own;
                const QColor mixed((own.red() + parent.red()) / 2, (own.green() + parent.green()) / 2,
                                   (own.blue() + parent.blue()) / 2);
                drawFlatFrame(painter, option->rect, c(MenuColors::lighten(toRgb(mixed), 40)));
            } else if (isHot(widget)) {
                drawFlatFrame(painter, option->rect, frameColor(widget, true, 60));
            }
            return;
        }
        break;
    case PE_FrameLineEdit:
    case PE_FrameGroupBox:
        if (takenOver) {
            drawFlatFrame(painter, option->rect, frameColor(widget, isHot(widget), 60));
            return;
        }
        break;
    case PE_PanelButtonCommand:
        if (takenOver) {
            drawButtonPanel(option, painter, widget);
            return;
        }
        break;
    case PE_IndicatorCheckBox:
    case PE_IndicatorRadioButton:
        if (takenOver) {
            drawCheckIndicator(option, painter, widget, element == PE_IndicatorRadioButton);
            return;
        }
        break;
    default:
        break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void FlatMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const
{
    switch (element) {
    case CE_MenuItem:
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
            item && qobject_cast<const QMenu*>(widget)) {
            if (keepsPlatformItem(item, widget, true)) {
                // Under the platform's item goes the platform's menu background, not the icon strip.
                QStyleOptionMenuItem panel = *item;
                painter->save();
                painter->setClipRect(item->rect);
                baseStyle()->drawPrimitive(PE_PanelMenu, &panel, painter, widget);
                painter->restore();
                baseStyle()->drawControl(element, option, painter, widget);
            } else {
                FlatMenuDrawing(*m_painter, *this).drawMenuItem(painter, *item);
            }
            return;
        }
        break;
    case CE_MenuEmptyArea:
        if (qobject_cast<const QMenu*>(widget)) {
            drawPrimitive(PE_PanelMenu, option, painter, widget);
            return;
        }
        break;
    case CE_MenuBarItem:
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
            item && qobject_cast<const QMenuBar*>(widget) && !keepsPlatformItem(item, widget, true)) {
            FlatMenuDrawing(*m_painter, *this).drawMenuBarItem(painter, *item);
            return;
        }
        break;
    case CE_MenuBarEmptyArea:
        if (qobject_cast<const QMenuBar*>(widget)) {
            painter->fillRect(option->rect, c(m_painter->workingColors().menuBar));
            return;
        }
        break;
    case CE_ProgressBarGroove:
        if (m_painter->isTakenOver(widget)) {
            painter->fillRect(option->rect, option->palette.brush(QPalette::Base));
            const bool over = widget && widget->underMouse();
            drawFlatFrame(painter, option->rect,
                          over ? c(m_painter->workingColors().selectionFrame) : frameColor(widget, false, 0));
            return;
        }
        break;
    default:
        break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void FlatMenuStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                       QPainter* painter, const QWidget* widget) const
{
    if (m_painter->isTakenOver(widget)) {
        switch (control) {
        case CC_ToolButton:
            drawToolButton(option, painter, widget);
            return;
        case CC_ComboBox:
            drawComboBox(option, painter, widget);
            return;
        case CC_SpinBox:
            drawSpinBox(option, painter, widget);
            return;
        default:
            break;
        }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

QSize FlatMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                      const QWidget* widget) const
{
    if (type == CT_MenuItem || type == CT_MenuBarItem) {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (item && !keepsPlatformItem(item, widget, false)) {
            if (type == CT_MenuItem && qobject_cast<const QMenu*>(widget))
                return FlatMenuDrawing(*m_painter, *this).measureMenuItem(*item, size);
            if (type == CT_MenuBarItem && qobject_cast<const QMenuBar*>(widget))
                return FlatMenuDrawing(*m_painter, *this).measureMenuBarItem(*item, size);
        }
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

int FlatMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    switch (metric) {
    case PM_MenuHMargin:
        // The items reach the menu's frame, so the icon strip runs along it.
        if (qobject_cast<const QMenu*>(widget))
            return 0;
        break;
    case PM_MenuBarItemSpacing:
        if (qobject_cast<const QMenuBar*>(widget))
            return 0;
        break;
    case PM_DefaultFrameWidth:
    case PM_ComboBoxFrameWidth:
    case PM_SpinBoxFrameWidth:
        if (m_painter->isTakenOver(widget) && !qobject_cast<const QMenu*>(widget))
            return 1;
        break;
    default:
        break;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

void FlatMenuStyle::drawButtonPanel(const QStyleOption* option, QPainter* painter,
                                    const QWidget* widget) const
{
    const Working& w = m_painter->workingColors();
    const bool enabled = option->state & State_Enabled;
    const bool down = option->state & (State_Sunken | State_On);
    const bool hot = enabled && (isHot(widget) || (option->state & State_MouseOver));
    painter->fillRect(option->rect, enabled && down ? c(w.checkedFillSelected)
                                    : hot           ? c(w.selectionFill)
                                                    : option->palette.color(QPalette::Button));
    drawFlatFrame(painter, option->rect, hot || down ? c(w.selectionFrame) : frameColor(widget, false, 0));
}

void FlatMenuStyle::drawCheckIndicator(const QStyleOption* option, QPainter* painter, const QWidget* widget,
                                       bool radio) const
{
    const Working& w = m_painter->workingColors();
    const bool enabled = option->state & State_Enabled;
    const bool hot = enabled && (option->state & State_MouseOver || isHot(widget));
    const QColor frame = hot ? c(w.selectionFrame) : frameColor(widget, false, 0);
    const QColor fill = !enabled ? option->palette.color(QPalette::Window)
                        : hot    ? c(w.selectionFill)
                                 : option->palette.color(QPalette::Base);
    const QColor mark = enabled ? option->palette.color(QPalette::Text) : c(w.disabledText);
    const QRectF r = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(frame);
    painter->setBrush(fill);
    if (radio) {
        painter->drawEllipse(r);
        if (option->state & State_On) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(mark);
            const qreal inset = r.width() / 3.5;
            painter->drawEllipse(r.adjusted(inset, inset, -inset, -inset));
        }
    } else {
        painter->drawRect(r);
        if (option->state & State_On) {
            QPen pen(mark, std::max(1.5, r.width() / 7.0));
            painter->setPen(pen);
            const qreal x = r.left(), y = r.top(), s = r.width();
            const QPointF tick[] = {
                {x + s * 0.22, y + s * 0.52}, {x + s * 0.42, y + s * 0.72}, {x + s * 0.78, y + s * 0.28}};
            painter->drawPolyline(tick, 3);
        } else if (option->state & State_NoChange) {
            painter->fillRect(r.adjusted(r.width() / 4, r.height() / 4, -r.width() / 4, -r.height() / 4),
                              mark);
        }
    }
    painter->restore();
}

void FlatMenuStyle::drawToolButton(const QStyleOptionComplex* option, QPainter* painter,
                                   const QWidget* widget) const
{
    const auto* button = qstyleoption_cast<const QStyleOptionToolButton*>(option);
    if (!button) {
        QProxyStyle::drawComplexControl(CC_ToolButton, option, painter, widget);
        return;
    }
    const Working& w = m_painter->workingColors();
    const QRect r = button->rect;
    const bool enabled = button->state & State_Enabled;
    const bool hot = enabled && (button->state & State_MouseOver);
    const bool pressed = enabled && (button->state & State_Sunken);
    const bool checked = button->state & State_On;

    if (const auto* bar = widget ? qobject_cast<const QToolBar*>(widget->parentWidget()) : nullptr) {
        const QBrush brush = bar->palette().brush(QPalette::Window);
        if (brush.style() == Qt::SolidPattern)
            painter->fillRect(r, brush.color());
    } else if (!(button->state & State_AutoRaise)) {
        painter->fillRect(r, button->palette.color(QPalette::Button));
        drawFlatFrame(painter, r, frameColor(widget, false, 0));
    }
    if (enabled && (hot || pressed || checked)) {
        const quint32 fill =
            checked ? (hot || pressed ? w.checkedFillSelected : w.checkedFill) : w.selectionFill;
        painter->fillRect(r.adjusted(0, 0, -1, -1), c(fill));
        drawFlatFrame(painter, r, c(w.selectionFrame));
    }

    QRect content = r;
    const QColor arrowColor = enabled ? button->palette.color(QPalette::ButtonText) : c(w.disabledText);
    if (button->features & QStyleOptionToolButton::MenuButtonPopup) {
        const QRect menuArea = QProxyStyle::subControlRect(CC_ToolButton, button, SC_ToolButtonMenu, widget);
        drawTriangle(painter, menuArea, Qt::DownArrow, arrowColor);
        content.setRight(menuArea.left() - 1);
    } else if (button->features & QStyleOptionToolButton::HasMenu) {
        drawTriangle(painter, QRect(r.right() - 7, r.bottom() - 6, 6, 5), Qt::DownArrow, arrowColor);
    }

    FlatMenuDrawing drawing(*m_painter, *this);
    const QColor textColor = !enabled ? c(w.disabledText)
                             : hot    ? c(w.selectedText)
                                      : button->palette.color(QPalette::ButtonText);
    const bool hasIcon = !button->icon.isNull() && button->toolButtonStyle != Qt::ToolButtonTextOnly;
    const bool hasText = !button->text.isEmpty() && button->toolButtonStyle != Qt::ToolButtonIconOnly;
    const QSize iconSize = hasIcon ? button->iconSize : QSize();
    const FlatMenuDrawing::IconState state{enabled, hot || pressed, checked};
    if (hasIcon && !hasText) {
        const QPoint at(content.left() + (content.width() - iconSize.width()) / 2,
                        content.top() + (content.height() - iconSize.height()) / 2);
        drawing.drawIcon(painter, button->icon, at, iconSize, state);
    } else if (hasText && !hasIcon) {
        painter->setFont(button->font);
        drawing.drawText(painter, content, button->text, textColor, Qt::AlignHCenter);
    } else if (hasIcon && hasText) {
        painter->setFont(button->font);
        if (button->toolButtonStyle == Qt::ToolButtonTextUnderIcon) {
            const QPoint at(content.left() + (content.width() - iconSize.width()) / 2, content.top() + 3);
            drawing.drawIcon(painter, button->icon, at, iconSize, state);
            drawing.drawText(painter, content.adjusted(0, iconSize.height() + 3, 0, 0), button->text,
                             textColor, Qt::AlignHCenter);
        } else {
            const QPoint at(content.left() + 4, content.top() + (content.height() - iconSize.height()) / 2);
            drawing.drawIcon(painter, button->icon, at, iconSize, state);
            drawing.drawText(painter, content.adjusted(iconSize.width() + 8, 0, 0, 0), button->text,
                             textColor, Qt::AlignLeft);
        }
    }
}

void FlatMenuStyle::drawComboBox(const QStyleOptionComplex* option, QPainter* painter,
                                 const QWidget* widget) const
{
    const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
    if (!combo) {
        QProxyStyle::drawComplexControl(CC_ComboBox, option, painter, widget);
        return;
    }
    const Working& w = m_painter->workingColors();
    const bool enabled = combo->state & State_Enabled;
    const bool hot = enabled && (isHot(widget) || (combo->state & State_MouseOver));
    painter->fillRect(combo->rect, combo->palette.brush(enabled ? QPalette::Base : QPalette::Window));
    if (combo->subControls & SC_ComboBoxArrow) {
        const QRect arrow = QProxyStyle::subControlRect(CC_ComboBox, combo, SC_ComboBoxArrow, widget);
        const bool down = combo->activeSubControls & SC_ComboBoxArrow && combo->state & State_Sunken;
        painter->fillRect(arrow, down  ? c(w.checkedFillSelected)
                                 : hot ? c(w.selectionFill)
                                       : combo->palette.color(QPalette::Button));
        drawTriangle(painter, arrow, Qt::DownArrow,
                     enabled ? combo->palette.color(QPalette::ButtonText) : c(w.disabledText));
    }
    drawFlatFrame(painter, combo->rect, frameColor(widget, hot, 60));
}

void FlatMenuStyle::drawSpinBox(const QStyleOptionComplex* option, QPainter* painter,
                                const QWidget* widget) const
{
    const auto* spin = qstyleoption_cast<const QStyleOptionSpinBox*>(option);
    if (!spin) {
        QProxyStyle::drawComplexControl(CC_SpinBox, option, painter, widget);
        return;
    }
    const Working& w = m_painter->workingColors();
    const bool enabled = spin->state & State_Enabled;
    const bool hot = enabled && isHot(widget);
    painter->fillRect(spin->rect, spin->palette.brush(enabled ? QPalette::Base : QPalette::Window));
    if (spin->buttonSymbols != QAbstractSpinBox::NoButtons) {
        for (SubControl part : {SC_SpinBoxUp, SC_SpinBoxDown}) {
            const QRect area = QProxyStyle::subControlRect(CC_SpinBox, spin, part, widget);
            const bool down = (spin->activeSubControls & part) && (spin->state & State_Sunken);
            const bool stepEnabled =
                enabled && (spin->stepEnabled & (part == SC_SpinBoxUp ? QAbstractSpinBox::StepUpEnabled
                                                                      : QAbstractSpinBox::StepDownEnabled));
            painter->fillRect(area, down ? c(w.checkedFillSelected)
                                    : hot && (spin->activeSubControls & part)
                                        ? c(w.selectionFill)
                                        : spin->palette.color(QPalette::Button));
            drawTriangle(painter, area, part == SC_SpinBoxUp ? Qt::UpArrow : Qt::DownArrow,
                         stepEnabled ? spin->palette.color(QPalette::ButtonText) : c(w.disabledText));
        }
    }
    drawFlatFrame(painter, spin->rect, frameColor(widget, hot, 60));
}
