#pragma once

#include <QDate>
#include <QDateTime>
#include <QPoint>
#include <QString>
#include <QTime>

// The month a calendar shows, as arithmetic on day numbers: the current date, which cell of the 7 x 7 grid
// each day sits in, what a cell says, which cells may become the current one, and month navigation.
// Row 0 holds the day names, rows 1 to 6 the weeks; column 0 is the week day StartOfWeek (0 = Sunday).
//
// Setters return true when the date changed; the calendar widget then runs its update.
class CalendarMonth
{
public:
    static constexpr int Columns = 7;
    static constexpr int Rows = 7;

    // Starts on today's date (no time of day), Sunday in column 0.
    CalendarMonth();

    static int DaysPerMonth(int year, int month);
    static bool IsLeapYear(int year);
    // A range is shown only when it spans more than one day and does not run backwards.
    static bool rangeCovers(const QDate& start, const QDate& end, const QDate& date);

    QDateTime CalendarDate() const { return QDateTime(m_date, m_time); }
    QDate date() const { return m_date; }
    // Stores a different value; false when it equals the current one or is not a valid date.
    bool setCalendarDate(const QDateTime& value);

    int Year() const { return m_date.year(); }
    int Month() const { return m_date.month(); }
    int Day() const { return m_date.day(); }
    int DaysThisMonth() const { return DaysPerMonth(Year(), Month()); }
    // Setting a date part: values <= 0, a month > 12, a day past the month's end and unchanged values are
    // ignored; a day the new month lacks becomes its last day. The time of day is dropped.
    bool setYear(int value);
    bool setMonth(int value);
    bool setDay(int value);
    // The month before or after; the day is clamped as above.
    void PrevMonth();
    void NextMonth();

    int StartOfWeek() const { return m_startOfWeek; }
    void setStartOfWeek(int dayOfWeek);
    bool BlockWeekends() const { return m_blockWeekends; }
    void setBlockWeekends(bool on) { m_blockWeekends = on; }
    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool on) { m_readOnly = on; }
    bool Updating() const { return m_updating; }
    void setUpdating(bool on) { m_updating = on; }

    // The day number column 0 of row 1 stands for (1 or less), as of the last update().
    int MonthOffset() const { return m_monthOffset; }
    // Day number of a cell of rows 1 to 6; 0 for a blank cell, a header cell or a cell off the grid.
    int dayOfCell(int col, int row) const;
    // Day name (row 0) or day number; empty for blank cells.
    QString CellText(int col, int row) const;
    // Whether CellText is not empty, without making the text.
    bool cellHasText(int col, int row) const;
    // Cell of a day of the shown month.
    QPoint cellOfDay(int day) const;
    QDate dateOfCell(int col, int row) const;

    // The selection check asked before the current cell moves.
    bool canSelect(int col, int row) const;
    QPoint currentCell() const { return m_current; }
    // Moves the current cell when the check allows it; false when refused.
    bool moveCurrent(int col, int row);

    // The update's arithmetic: the month offset from the date, then the current cell onto the date's day.
    void update();

    // Keyboard moves: the date moves by the given days, into the next or previous month too; refused when
    // read-only or when the day's cell may not be selected.
    bool stepDays(int days);

private:
    bool setDate(int year, int month, int day);

    QDate m_date;
    QTime m_time;
    int m_startOfWeek = 0;
    int m_monthOffset = 1;
    bool m_blockWeekends = false;
    bool m_readOnly = false;
    bool m_updating = false;
    QPoint m_current{0, 1};
};
