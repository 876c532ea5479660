#pragma once

#include "model/ToDoList.h"

#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>

// What the calendar page shows of the list. Each open item puts an entry on the day of its Target and on
// the day of its Date In when they fall in the shown month; an entry is three lines:
//   "<" row ">" caption of the date's column     (how the page finds the item again)
//   "<" caption of "Alarm Time" ">" alarm value
//   the Action
class CalendarEntries
{
public:
    enum class Kind
    {
        Target,
        DateIn
    };

    // Visits the entries of a month in the order the page lists them: rows from first to last, and for
    // each row its Target entry before its Date In entry. Completed items, empty dates and dates that do
    // not read as dates are passed over; an unreadable date never hides the items after it.
    template <typename Visit>
    static void forEachEntry(const ToDoList& list, int year, int month, Visit&& visit)
    {
        const QDate first(year, month, 1);
        if (!first.isValid())
            return;
        const QDate last = first.addMonths(1).addDays(-1);
        const int rows = list.size();
        for (int row = 0; row < rows; ++row) {
            const ToDoItem& item = list.items[static_cast<size_t>(row)];
            if (item.checked())
                continue;
            if (const std::optional<QDate> target = item.targetDate();
                target && *target >= first && *target <= last)
                visit(row, Kind::Target, target->day());
            if (const std::optional<QDate> dateIn = item.dateInDate();
                dateIn && *dateIn >= first && *dateIn <= last)
                visit(row, Kind::DateIn, dateIn->day());
        }
    }

    // The column captions the lines name; taken once for a whole month.
    struct Captions
    {
        QString target;
        QString dateIn;
        QString alarmTime;
    };
    static Captions currentCaptions();

    // The three lines of an entry of the given row.
    static void appendLines(QStringList& lines, const ToDoItem& item, int row, Kind kind,
                            const Captions& captions);
    // The row an index line (or menu caption) names: the number between the leading "<" and the first ">";
    // nullopt for any other text.
    static std::optional<int> ItemIndexFromLine(QStringView line);
    // A menu entry for one entry: its index line, a blank, and the Action quoted, cut to 30 characters with
    // the opening quote counted.
    static QString popupCaption(const QString& indexLine, const QString& actionLine);
};
