#include "calendar/TBaseCalendar.h"

#include "platform/Clock.h"

#include <QFontInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace {
// Today's frame: apart from the highlight of the current cell, the range colour and the cell colours.
const QColor kTodayColor(230, 120, 20);
constexpr int kGridLine = 1;
} // namespace

TBaseCalendar::TBaseCalendar(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_color = palette().color(QPalette::Base);
    UpdateCalendar();
}

void TBaseCalendar::UpdateCalendar()
{
    struct Guard
    {
        CalendarMonth& month;
        explicit Guard(CalendarMonth& m) : month(m) { month.setUpdating(true); }
        ~Guard() { month.setUpdating(false); }
    } guard(m_month);
    m_month.update();
    update();
    Q_EMIT dateChanged(m_month.CalendarDate());
}

void TBaseCalendar::setCalendarDate(const QDateTime& value)
{
    if (m_month.setCalendarDate(value))
        UpdateCalendar();
}

void TBaseCalendar::setYear(int value)
{
    if (m_month.setYear(value))
        UpdateCalendar();
}

void TBaseCalendar::setMonth(int value)
{
    if (m_month.setMonth(value))
        UpdateCalendar();
}

void TBaseCalendar::setDay(int value)
{
    if (m_month.setDay(value))
        UpdateCalendar();
}

void TBaseCalendar::PrevMonth()
{
    m_month.PrevMonth();
    UpdateCalendar();
    Q_EMIT monthChanged(m_month.Month());
}

void TBaseCalendar::NextMonth()
{
    m_month.NextMonth();
    UpdateCalendar();
    Q_EMIT monthChanged(m_month.Month());
}

void TBaseCalendar::setBlockWeekends(bool on)
{
    m_month.setBlockWeekends(on);
    update();
}

void TBaseCalendar::setStartOfWeek(int dayOfWeek)
{
    m_month.setStartOfWeek(dayOfWeek);
    UpdateCalendar();
}

void TBaseCalendar::setFixedHeader(bool on)
{
    m_fixedHeader = on;
    update();
}

void TBaseCalendar::setBlockedColor(const QColor& color)
{
    m_blockedColor = color;
    update();
}

void TBaseCalendar::setSelectedColor(const QColor& color)
{
    m_selectedColor = color;
    update();
}

void TBaseCalendar::setSelectedFontColor(const QColor& color)
{
    m_selectedFontColor = color;
    update();
}

void TBaseCalendar::setColor(const QColor& color)
{
    m_color = color;
    update();
}

int TBaseCalendar::headerHeight() const
{
    // The font's size in points + 8, and never less than its text needs.
    return std::max(QFontInfo(font()).pointSize() + 8, fontMetrics().height() + 4);
}

CalendarLayout TBaseCalendar::layout() const
{
    return CalendarLayout::fit(size(), kGridLine, headerHeight(), m_fixedHeader);
}

bool TBaseCalendar::MouseToCell(const QPoint& point, int& col, int& row) const
{
    const std::optional<QPoint> cell = layout().cellAt(point);
    if (!cell)
        return false;
    col = cell->x();
    row = cell->y();
    return true;
}

QSize TBaseCalendar::sizeHint() const
{
    return QSize(7 * 80, headerHeight() + 6 * 64);
}

QSize TBaseCalendar::minimumSizeHint() const
{
    return QSize(7 * 24, headerHeight() + 6 * 20);
}

void TBaseCalendar::chooseCellColors(CellPaint& cell)
{
    if (m_month.BlockWeekends() && (cell.col == 0 || cell.col == 6) && cell.row != 0 &&
        !CellText(cell.col, cell.row).isEmpty())
        cell.background = m_blockedColor;
}

void TBaseCalendar::paintCellContents(QPainter&, const CellPaint&) {}

void TBaseCalendar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const CalendarLayout l = layout();
    const QPalette pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Window));
    const QRect grid(QPoint(0, 0), l.snappedSize());
    // The frame, with the grid lines showing between the cells.
    p.fillRect(grid, pal.color(QPalette::Mid));
    p.setPen(pal.color(QPalette::Dark));
    p.drawRect(grid.adjusted(0, 0, -1, -1));

    const QDate today = Clock::today();
    const QPoint current = m_month.currentCell();
    const QFont normal = font();
    QFont bold = normal;
    bold.setBold(true);
    for (int row = 0; row < CalendarMonth::Rows; ++row) {
        for (int col = 0; col < CalendarMonth::Columns; ++col) {
            CellPaint cell;
            cell.col = col;
            cell.row = row;
            cell.rect = l.cellRect(col, row);
            cell.fixed = row == 0;
            // The current cell is drawn selected whether or not the calendar has the focus.
            cell.selected = cell.focused = !cell.fixed && QPoint(col, row) == current;
            if (cell.fixed) {
                cell.background = pal.color(QPalette::Button);
                cell.text = pal.color(QPalette::ButtonText);
            } else if (cell.selected) {
                cell.background = pal.color(QPalette::Highlight);
                cell.text = pal.color(QPalette::HighlightedText);
            } else {
                cell.background = m_color.isValid() ? m_color : pal.color(QPalette::Base);
                cell.text = pal.color(QPalette::Text);
            }
            chooseCellColors(cell);

            p.save();
            p.setClipRect(cell.rect);
            p.fillRect(cell.rect, cell.background);
            const bool isToday = !cell.fixed && m_month.dateOfCell(col, row) == today;
            p.setFont(isToday ? bold : normal);
            p.setPen(cell.text);
            const QString text = CellText(col, row);
            if (cell.fixed)
                p.drawText(cell.rect, Qt::AlignCenter | Qt::TextSingleLine, text);
            else
                p.drawText(cell.rect.adjusted(3, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                           text);
            p.setFont(normal);
            if (!cell.fixed)
                paintCellContents(p, cell);
            if (isToday) {
                p.setPen(QPen(kTodayColor, 2));
                p.setBrush(Qt::NoBrush);
                p.drawRect(QRectF(cell.rect).adjusted(1, 1, -1, -1));
            }
            if (cell.focused && hasFocus()) {
                QStyleOptionFocusRect option;
                option.initFrom(this);
                option.rect = cell.rect.adjusted(2, 2, -2, -2);
                option.backgroundColor = cell.background;
                style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
            }
            p.restore();
        }
    }
}

void TBaseCalendar::clickCurrent()
{
    const QPoint current = m_month.currentCell();
    bool ok = false;
    const int day = CellText(current.x(), current.y()).toInt(&ok);
    if (ok && current.y() > 0)
        setDay(day);
}

void TBaseCalendar::mousePressEvent(QMouseEvent* event)
{
    m_skipRelease = false;
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_pressed = true;
    int col = 0, row = 0;
    if (MouseToCell(event->position().toPoint(), col, row) && m_month.moveCurrent(col, row))
        update();
}

void TBaseCalendar::mouseMoveEvent(QMouseEvent* event)
{
    int col = 0, row = 0;
    if (m_pressed && (event->buttons() & Qt::LeftButton) &&
        MouseToCell(event->position().toPoint(), col, row) && QPoint(col, row) != m_month.currentCell() &&
        m_month.moveCurrent(col, row))
        update();
}

void TBaseCalendar::mouseReleaseEvent(QMouseEvent* event)
{
    const bool wasPressed = m_pressed;
    m_pressed = false;
    if (m_skipRelease) {
        // The release that ends a double click: the double click has acted already.
        m_skipRelease = false;
        return;
    }
    if (event->button() == Qt::LeftButton && wasPressed) {
        clickCurrent();
        int col = 0, row = 0;
        if (!MouseToCell(event->position().toPoint(), col, row)) {
            col = m_month.currentCell().x();
            row = m_month.currentCell().y();
        }
        Q_EMIT cellClicked(col, row);
    }
    released(event->button(), event->modifiers());
}

void TBaseCalendar::released(Qt::MouseButton, Qt::KeyboardModifiers) {}

void TBaseCalendar::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseDoubleClickEvent(event);
    int col = 0, row = 0;
    if (MouseToCell(event->position().toPoint(), col, row)) {
        if (m_month.moveCurrent(col, row))
            clickCurrent();
    } else {
        col = m_month.currentCell().x();
        row = m_month.currentCell().y();
    }
    m_pressed = false;
    m_skipRelease = true;
    Q_EMIT cellDoubleClicked(col, row, event->globalPosition().toPoint());
}

void TBaseCalendar::keyPressEvent(QKeyEvent* event)
{
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Left:
        step = -1;
        break;
    case Qt::Key_Right:
        step = 1;
        break;
    case Qt::Key_Up:
        step = -7;
        break;
    case Qt::Key_Down:
        step = 7;
        break;
    case Qt::Key_PageUp:
        if (!ReadOnly())
            PrevMonth();
        return;
    case Qt::Key_PageDown:
        if (!ReadOnly())
            NextMonth();
        return;
    default:
        return QWidget::keyPressEvent(event);
    }
    const int monthBefore = Month();
    const int yearBefore = Year();
    if (!m_month.stepDays(step))
        return;
    UpdateCalendar();
    if (Month() != monthBefore || Year() != yearBefore)
        Q_EMIT monthChanged(Month());
    Q_EMIT cellClicked(m_month.currentCell().x(), m_month.currentCell().y());
}

void TBaseCalendar::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        update();
    QWidget::changeEvent(event);
}
