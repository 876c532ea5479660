#pragma once

#include <QDateTime>

// The one place that says what "now" is. Status colours, alarms and the calendar ask here, so tests can
// run them at any date and time by fixing the clock.
//
// Reading the local time costs system calls (the time zone file is looked at every time). An operation
// that walks the rows (a print, an export, a paint pass, a sort, an alarm tick) therefore reads the day
// once and holds it in an OperationDay; everything it calls, down to the reading of two-digit years, then
// gets that day from today() without asking the system again.
class Clock
{
public:
    static QDateTime now();
    // The day of the operation under way, or else the clock's day.
    static QDate today();

    // Fixes the clock at the given local time until reset() (tests only).
    static void setNow(const QDateTime& fixed);
    static void reset();

    // Holds today() at one day while it lives. An inner one inside another keeps the outer day, so that an
    // operation sees one day throughout. One thread (the user interface's) runs the operations.
    class OperationDay
    {
    public:
        // Reads the clock once (or takes the outer operation's day).
        OperationDay();
        // The day the caller already has (an alarm tick's "now").
        explicit OperationDay(const QDate& day);
        ~OperationDay();
        OperationDay(const OperationDay&) = delete;
        OperationDay& operator=(const OperationDay&) = delete;

        QDate day() const;

    private:
        bool m_outermost;
    };
};
