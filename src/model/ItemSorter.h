#pragma once

#include "model/ToDoItem.h"

#include <QByteArrayView>

#include <optional>
#include <vector>

// How a header click compares rows: as text, as whole numbers or as dates.
enum class SortKind
{
    Text,
    Number,
    Date
};

// Sorting the list by a column, with the list's comparison rules:
// - text: locale-aware and case-sensitive, A to Z;
// - whole number: the largest first; a text that is no number counts as the digits before its first bad
//   character (0 when empty); when no row holds a number the rows keep their order;
// - date: the earliest first; an empty or unreadable date counts as the earliest; when no row holds a
//   date the rows keep their order.
// "descending" reverses all of that. Rows that compare equal keep their previous order.
class ItemSorter
{
public:
    // The kind a click on the column sets: text for Actions, Remarks, Owner, Project Name; number for
    // Priority; date for Date In and Target. Alarm Time and File Location keep the previous kind.
    static SortKind kindForColumn(int column, SortKind previous);

    // The new row order after a click on column (0 = Actions ... 8 = File Location): result[i] is the old
    // row that becomes row i. With completedLast, open rows stay before completed ones whatever the
    // direction. Each row's key is read once.
    static std::vector<int> sortOrder(const std::vector<ToDoItem>& items, int column, SortKind kind,
                                      bool descending, bool completedLast = false);

    // The rule for one pair: negative puts a first. valueIndex -1 is the Action. Kept for tests and for
    // callers that compare a single pair; sortOrder does not call it.
    static int compareItems(const ToDoItem& a, const ToDoItem& b, int valueIndex, SortKind kind,
                            bool descending);

    struct WholeNumber
    {
        qint64 value = 0; // the digits read before the first bad character when !ok
        bool ok = false;
    };
    // Leading blanks, optional sign, decimal digits, or hexadecimal after "$" or "0x".
    static WholeNumber parseWholeNumber(QByteArrayView text);
    // Days since 30 December 1899 with the time of day as fraction; nullopt when empty or unreadable.
    static std::optional<double> parseDayCount(QByteArrayView text);
    static double dayCount(const QDate& date);
};
