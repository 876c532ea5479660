#pragma once

#include <QDate>
#include <QString>

class ToDoItem;

// Display status of a row; the numbers are the order of the values and are not stored anywhere.
enum class ItemStatus
{
    Pending = 0,
    Overdue = 1,
    Open = 2,
    Completed = 3,
    Today = 4
};

// Completed when checked; Open without Target; Pending when the Target is unreadable or later than
// today; Today on the Target day; Overdue after it. Never fails. Callers that look at many rows read the
// day once and pass it here.
ItemStatus ItemStatusOf(const ToDoItem& item, const QDate& today);
// The same, for Clock::today() (one reading of the clock unless an operation holds the day).
ItemStatus ItemStatusOf(const ToDoItem& item);

// "Pending", "Overdue", "Open", "Completed", "Today".
QString ItemStatusName(ItemStatus status);
