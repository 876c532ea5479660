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
// Two locales are kept apart. The display locale (day names, sorting, searching) is the run's own. The
// item locale with its two formats writes and reads the texts of the lists: a data folder fixes it once
// (FolderChoices), so that a list means the same dates under every locale a later run may have.
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

    // Takes the display locale, and the item locale and formats as well, from the system locale (done once
    // at start-up, before the data folder's choices replace the item part).
    static void useSystemLocale();
    static void useLocale(const QLocale& locale);
    // Sets the item formats directly (tests, and users who override them).
    static void setFormats(const QString& shortDate, const QString& longTime);
    // The item locale, whose words (month names, AM and PM) the formats write and read, and its formats.
    static void setItemFormats(const QLocale& itemLocale, const QString& shortDate, const QString& longTime);

    // The formats a locale gives item texts: its short date with a four-digit year, its long time without
    // a zone; ISO 8601 for the C locale.
    static QString dateFormatOf(const QLocale& locale);
    static QString timeFormatOf(const QLocale& locale);

    static QString shortDateFormat();
    static QString longTimeFormat();
    static DateOrder dateOrder();
    // The display locale.
    static QLocale locale();
    static QLocale itemLocale();
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
