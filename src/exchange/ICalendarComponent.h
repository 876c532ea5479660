#pragma once

#include "model/ToDoItem.h"

#include <QByteArray>
#include <QDateTime>

#include <libical/ical.h>

// Single to-dos built and edited through libical, for the sync: a new item is sent as a calendar of its
// own, and a changed one edits the component fetched from the server, so that what the list does not
// show (repeat rules, sub-task links, other programs' properties, further alarms) stays. The mapping of
// the columns is the one of the iCalendar export.

// One item as a calendar of its own with the given UID, as the sync sends a new item.
QByteArray ItemToICalendar(const ToDoItem& item, const QByteArray& uid, const QDateTime& stamp);
// Edits todo, which was read as before, so that it reads as after: only the properties whose columns
// differ are rewritten; every other property and alarm stays as it is. The first alarm on the Target day
// is the one the Alarm Time stands for. stamp becomes DTSTAMP and LAST-MODIFIED.
void UpdateICalendarToDo(icalcomponent* todo, const ToDoItem& before, const ToDoItem& after,
                         const QDateTime& stamp);
