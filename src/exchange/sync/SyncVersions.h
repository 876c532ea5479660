#pragma once

#include "exchange/ICalendarValues.h"
#include "model/ToDoItem.h"

#include <QByteArray>

#include <libical/ical.h>

// The versions of an item a sync round weighs against each other: the server's calendar text, the row as
// last synced, the list's row now.

// The server's to-do of a calendar text; null when it holds none.
struct RemoteToDo
{
    ICalendarComponent root;
    icalcomponent* todo = nullptr;
};

RemoteToDo parseToDo(const QByteArray& calendar);
QByteArray uidOf(icalcomponent* todo);
// The calendar text of after, edited from the one the server last gave for before.
QByteArray editedCalendar(const QByteArray& calendar, const ToDoItem& before, const ToDoItem& after);
// The server's version of an item (theirs) as a change of the row last synced (base, whose calendar text the
// server then held): a field takes the server's value only where that differs from what the last version
// read as, i.e. where the server changed it. Elsewhere the row keeps what the mapping cannot carry (free
// text dates, priorities past 9, an Alarm Time without its day, the File Location).
ToDoItem mergedRemote(const ToDoItem& theirs, const ToDoItem& base, const QByteArray& baseCalendar);
// The list's own copy of an item that was changed on both sides: its Remarks say so.
ToDoItem conflictCopy(const ToDoItem& row);
