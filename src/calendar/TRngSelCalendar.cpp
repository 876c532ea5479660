#include "calendar/TRngSelCalendar.h"

TRngSelCalendar::TRngSelCalendar(QWidget* parent)
    : TStringsCalendar(parent), m_rangeStart(CalendarDate().date()), m_rangeEnd(CalendarDate().date())
{
}

void TRngSelCalendar::setRangeColor(const QColor& color)
{
    m_rangeColor = color;
    update();
}

void TRngSelCalendar::setRangeStart(const QDate& date)
{
    if (date == m_rangeStart)
        return;
    m_rangeStart = date;
    UpdateCalendar();
}

void TRngSelCalendar::setRangeEnd(const QDate& date)
{
    if (date == m_rangeEnd)
        return;
    m_rangeEnd = date;
    UpdateCalendar();
}

void TRngSelCalendar::chooseCellColors(CellPaint& cell)
{
    // The current cell keeps its highlight inside a range.
    if (cell.row >= 1 && !cell.focused &&
        CalendarMonth::rangeCovers(m_rangeStart, m_rangeEnd, month().dateOfCell(cell.col, cell.row))) {
        cell.background = m_rangeColor;
        // The day number stays readable on a dark range colour.
        if (qGray(m_rangeColor.rgb()) < 128)
            cell.text = Qt::white;
    }
    TStringsCalendar::chooseCellColors(cell);
}

void TRngSelCalendar::released(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    // Stored directly: the repaint comes with the date change of the same click.
    if (button == Qt::LeftButton) {
        if (!(modifiers & Qt::ShiftModifier))
            m_rangeStart = CalendarDate().date();
        m_rangeEnd = CalendarDate().date();
        update();
    }
    Q_EMIT rangeSelected();
}
