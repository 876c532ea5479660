#pragma once

#include <QDateTime>

// The one place that says what "now" is. Status colours, alarms and the calendar ask here, so tests can
// run them at any date and time by fixing the clock.
class Clock
{
public:
    static QDateTime now();
    static QDate today() { return now().date(); }

    // Fixes the clock at the given local time until reset() (tests only).
    static void setNow(const QDateTime& fixed);
    static void reset();
};
