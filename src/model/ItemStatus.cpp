#include "model/ItemStatus.h"

#include "model/ToDoItem.h"
#include "platform/Clock.h"

ItemStatus ItemStatusOf(const ToDoItem& item, const QDate& today)
{
    // Reading the Target may need the year (two-digit years): it is the caller's day, not a new reading.
    const Clock::OperationDay day(today);
    if (item.checked())
        return ItemStatus::Completed;
    if (item.targetIsEmpty())
        return ItemStatus::Open;
    const auto target = item.targetDate();
    if (!target)
        return ItemStatus::Pending;
    if (*target == today)
        return ItemStatus::Today;
    // Any moment of a later day is after the Target's midnight.
    return *target < today ? ItemStatus::Overdue : ItemStatus::Pending;
}

ItemStatus ItemStatusOf(const ToDoItem& item)
{
    return ItemStatusOf(item, Clock::today());
}

QString ItemStatusName(ItemStatus status)
{
    switch (status) {
    case ItemStatus::Pending:
        return QStringLiteral("Pending");
    case ItemStatus::Overdue:
        return QStringLiteral("Overdue");
    case ItemStatus::Open:
        return QStringLiteral("Open");
    case ItemStatus::Completed:
        return QStringLiteral("Completed");
    case ItemStatus::Today:
        return QStringLiteral("Today");
    }
    return {};
}
