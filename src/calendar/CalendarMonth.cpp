#include "calendar/CalendarMonth.h"

#include "platform/Clock.h"
#include "platform/Regional.h"

CalendarMonth::CalendarMonth() : m_date(Clock::today()), m_time(0, 0)
{
    update();
}

int CalendarMonth::DaysPerMonth(int year, int month)
{
    static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return days[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool CalendarMonth::IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

bool CalendarMonth::rangeCovers(const QDate& start, const QDate& end, const QDate& date)
{
    return start.isValid() && end.isValid() && start != end && start <= date && date <= end;
}

bool CalendarMonth::setCalendarDate(const QDateTime& value)
{
    if (!value.isValid() || value == CalendarDate())
        return false;
    m_date = value.date();
    m_time = value.time();
    return true;
}

bool CalendarMonth::setDate(int year, int month, int day)
{
    day = std::min(day, DaysPerMonth(year, month));
    const QDate next(year, month, day);
    if (!next.isValid())
        return false;
    m_date = next;
    m_time = QTime(0, 0);
    return true;
}

bool CalendarMonth::setYear(int value)
{
    if (value <= 0 || value == Year())
        return false;
    return setDate(value, Month(), Day());
}

bool CalendarMonth::setMonth(int value)
{
    if (value <= 0 || value > 12 || value == Month())
        return false;
    return setDate(Year(), value, Day());
}

bool CalendarMonth::setDay(int value)
{
    if (value <= 0 || value > DaysThisMonth() || value == Day())
        return false;
    return setDate(Year(), Month(), value);
}

void CalendarMonth::PrevMonth()
{
    if (Month() == 1) {
        setYear(Year() - 1);
        setMonth(12);
    } else {
        setMonth(Month() - 1);
    }
}

void CalendarMonth::NextMonth()
{
    if (Month() >= 12) {
        setYear(Year() + 1);
        setMonth(1);
    } else {
        setMonth(Month() + 1);
    }
}

void CalendarMonth::setStartOfWeek(int dayOfWeek)
{
    m_startOfWeek = ((dayOfWeek % 7) + 7) % 7;
}

int CalendarMonth::dayOfCell(int col, int row) const
{
    if (col < 0 || col >= Columns || row < 1 || row >= Rows)
        return 0;
    const int n = m_monthOffset + col + (row - 1) * 7;
    return n >= 1 && n <= DaysThisMonth() ? n : 0;
}

QString CalendarMonth::CellText(int col, int row) const
{
    if (row == 0 && col >= 0 && col < Columns) {
        // Regional names run Monday (0) to Sunday (6); week days here run Sunday (0) to Saturday (6).
        const int weekDay = (m_startOfWeek + col) % 7;
        return Regional::shortDayNames().value((weekDay + 6) % 7);
    }
    const int day = dayOfCell(col, row);
    return day ? QString::number(day) : QString();
}

bool CalendarMonth::cellHasText(int col, int row) const
{
    return row == 0 ? col >= 0 && col < Columns : dayOfCell(col, row) != 0;
}

QPoint CalendarMonth::cellOfDay(int day) const
{
    return QPoint((day - m_monthOffset) % 7, (day - m_monthOffset) / 7 + 1);
}

QDate CalendarMonth::dateOfCell(int col, int row) const
{
    const int day = dayOfCell(col, row);
    return day ? QDate(Year(), Month(), day) : QDate();
}

bool CalendarMonth::canSelect(int col, int row) const
{
    if (col < 0 || col >= Columns || row < 0 || row >= Rows)
        return false;
    bool allowed = true;
    if (m_updating || !m_readOnly)
        allowed = cellHasText(col, row);
    else
        allowed = false;
    // The day names are no day.
    if (row == 0)
        allowed = false;
    // Columns 0 and 6 whatever week day they show.
    if (m_blockWeekends && (col == 0 || col == 6))
        allowed = false;
    return allowed;
}

bool CalendarMonth::moveCurrent(int col, int row)
{
    if (!canSelect(col, row))
        return false;
    m_current = QPoint(col, row);
    return true;
}

void CalendarMonth::update()
{
    // W: week day of the first, 1 for Sunday to 7 for Saturday.
    const int w = QDate(Year(), Month(), 1).dayOfWeek() % 7 + 1;
    m_monthOffset = 2 - ((w - m_startOfWeek + 7) % 7);
    if (m_monthOffset == 2)
        m_monthOffset = -5;
    const QPoint cell = cellOfDay(Day());
    moveCurrent(cell.x(), cell.y());
}

bool CalendarMonth::stepDays(int days)
{
    if (m_readOnly || days == 0)
        return false;
    const QDate next = m_date.addDays(days);
    CalendarMonth probe = *this;
    probe.m_date = next;
    probe.update();
    const QPoint cell = probe.cellOfDay(next.day());
    if (!probe.canSelect(cell.x(), cell.y()))
        return false;
    m_date = next;
    m_time = QTime(0, 0);
    return true;
}
