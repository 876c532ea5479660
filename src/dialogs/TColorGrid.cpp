#include "dialogs/TColorGrid.h"

#include "platform/desktop/SystemColor.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

namespace {
constexpr int kCellSize = 28;

QColor toQColor(quint32 rgb)
{
    return QColor(int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF));
}

int validIndex(int index)
{
    return index >= 0 && index < ColorGridCells::Count ? index : -1;
}
} // namespace

TColorGrid::TColorGrid(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TColorGrid::setGridOrdering(Ordering ordering)
{
    if (ordering == m_ordering)
        return;
    m_ordering = ordering;
    updateGeometry();
    update();
}

void TColorGrid::setForegroundIndex(int index)
{
    index = validIndex(index);
    if (index == m_foreground)
        return;
    m_foreground = index;
    update();
    if (m_foregroundEnabled)
        Q_EMIT OnChange();
}

void TColorGrid::setBackgroundIndex(int index)
{
    index = validIndex(index);
    if (index == m_background)
        return;
    m_background = index;
    update();
    if (m_backgroundEnabled)
        Q_EMIT OnChange();
}

void TColorGrid::setForegroundEnabled(bool on)
{
    if (on == m_foregroundEnabled)
        return;
    m_foregroundEnabled = on;
    update();
}

void TColorGrid::setBackgroundEnabled(bool on)
{
    if (on == m_backgroundEnabled)
        return;
    m_backgroundEnabled = on;
    update();
}

void TColorGrid::setSelection(int index)
{
    index = validIndex(index);
    if (index < 0 || index == m_selection)
        return;
    m_selection = index;
    update();
}

std::optional<quint32> TColorGrid::ForegroundColor() const
{
    if (m_foreground < 0)
        return std::nullopt;
    return ColorGridCells::color(m_foreground);
}

int TColorGrid::ColorToIndex(quint32 color)
{
    if ((color & 0xFF000000u) == 0x80000000u) {
        const QColor c = SystemColor::toQColor(color);
        color = quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16;
    }
    return ColorGridCells::indexOf(color);
}

QSize TColorGrid::sizeHint() const
{
    return {ColorGridCells::columns(m_ordering) * kCellSize, ColorGridCells::rows(m_ordering) * kCellSize};
}

void TColorGrid::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!isEnabled())
        p.setOpacity(0.45);
    const QSize client = size();
    QFont labelFont = font();
    labelFont.setBold(true);
    p.setFont(labelFont);
    for (int i = 0; i < ColorGridCells::Count; ++i) {
        const QRect r = ColorGridCells::cellRect(i, client, m_ordering);
        const quint32 rgb = ColorGridCells::color(i);
        const QBrush fill(toQColor(rgb));
        qDrawWinPanel(&p, r, palette(), true, &fill);
        const QString label =
            ColorGridCells::label(i, m_foreground, m_background, m_foregroundEnabled, m_backgroundEnabled);
        if (!label.isEmpty()) {
            p.setPen(toQColor(ColorGridCells::labelColor(rgb)));
            p.drawText(r, Qt::AlignCenter, label);
        }
        if (i == m_selection && hasFocus()) {
            // Dotted, in the label colour, so that it shows on every cell.
            p.setPen(QPen(toQColor(ColorGridCells::labelColor(rgb)), 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.adjusted(3, 3, -4, -4));
        }
    }
}

void TColorGrid::pickAt(const QPoint& pos, bool foreground)
{
    const int cell = ColorGridCells::cellAt(pos, size(), m_ordering);
    if (foreground) {
        if (!m_foregroundEnabled && m_clickEnablesColor)
            setForegroundEnabled(true);
        setForegroundIndex(cell);
    } else {
        if (!m_backgroundEnabled && m_clickEnablesColor)
            setBackgroundEnabled(true);
        setBackgroundIndex(cell);
    }
    setSelection(cell);
}

void TColorGrid::mousePressEvent(QMouseEvent* event)
{
    m_dragForeground = event->button() == Qt::LeftButton;
    pickAt(event->position().toPoint(), m_dragForeground);
    event->accept();
}

void TColorGrid::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() == Qt::NoButton)
        return;
    pickAt(event->position().toPoint(), m_dragForeground);
    event->accept();
}

void TColorGrid::keyPressEvent(QKeyEvent* event)
{
    const int cols = ColorGridCells::columns(m_ordering);
    int next = m_selection;
    switch (event->key()) {
    case Qt::Key_Left:
        next -= 1;
        break;
    case Qt::Key_Right:
        next += 1;
        break;
    case Qt::Key_Up:
        next -= cols;
        break;
    case Qt::Key_Down:
        next += cols;
        break;
    case Qt::Key_Space:
        if (!m_foregroundEnabled && m_clickEnablesColor)
            setForegroundEnabled(true);
        setForegroundIndex(m_selection);
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (next >= 0 && next < ColorGridCells::Count)
        setSelection(next);
    event->accept();
}

void TColorGrid::focusInEvent(QFocusEvent* event)
{
    update();
    QWidget::focusInEvent(event);
}

void TColorGrid::focusOutEvent(QFocusEvent* event)
{
    update();
    QWidget::focusOutEvent(event);
}
