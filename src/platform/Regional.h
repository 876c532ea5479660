#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QLocale>
#include <QStringList>

#include <optional>

// The user's regional settings as the program uses them: the short date format and long time format in
// which item dates and alarm times are written, the abbreviated day names, and lenient text-to-date and
// text-to-time reading that goes by the day, month and year order of the format and takes any separator.
//
// Formats are Qt format strings. Two-digit years are widened to four digits and time zones dropped, so
// that every stored date names its year and every stored time reads back on any day.
class Regional
{
public:
    enum class DateOrder
    {
        DayMonthYear,
        MonthDayYear,
        YearMonthDay
    };

    // Takes the formats from the system locale (done once at start-up).
    static void useSystemLocale();
    static void useLocale(const QLocale& locale);
    // Sets the formats directly (tests, and users who override them).
    static void setFormats(const QString& shortDate, const QString& longTime);

    static QString shortDateFormat();
    static QString longTimeFormat();
    static DateOrder dateOrder();
    static QLocale locale();
    // Changes whenever the formats change; caches of parsed dates compare against it.
    static quint32 generation();

    // Abbreviated day names, Monday first (index 0) to Sunday (index 6).
    static QStringList shortDayNames();

    static QString dateToText(const QDate& date);
    static QString timeToText(const QTime& time);
    static QString dateTimeToText(const QDateTime& dateTime);

    static std::optional<QDate> textToDate(QByteArrayView text);
    static std::optional<QDate> textToDate(QStringView text);
    static std::optional<QTime> textToTime(QByteArrayView text);
    static std::optional<QTime> textToTime(QStringView text);
    // A date, optionally followed by a time; or a time alone (on day 0, 30 December 1899).
    static std::optional<QDateTime> textToDateTime(QByteArrayView text);

    // Widens "yy" to "yyyy" and removes time-zone parts; exposed for tests.
    static QString widenDateFormat(const QString& format);
    static QString stripTimeZone(const QString& format);
    // The year a two-digit year stands for: within 50 years of today.
    static int expandTwoDigitYear(int yy);
};
