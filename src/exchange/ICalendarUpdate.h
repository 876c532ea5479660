#pragma once

#include "model/ToDoItem.h"

#include <QByteArray>
#include <QDateTime>

#include <libical/ical.h>

// The sync's iCalendar: an item as a calendar of its own, and the edit of a to-do another program made, both
// by the mapping of the iCalendar export (ICalendarExport.h).

// One item as a calendar of its own with the given UID, as the sync sends a new item.
QByteArray ItemToICalendar(const ToDoItem& item, const QByteArray& uid, const QDateTime& stamp);
// Edits todo, which was read as before, so that it reads as after: only the properties whose columns differ
// are replaced by those the export writes for after; every other property and alarm stays as it is. The
// first alarm on the Target day is the one the Alarm Time stands for. stamp becomes DTSTAMP and
// LAST-MODIFIED (and COMPLETED when the item became checked).
void UpdateICalendarToDo(icalcomponent* todo, const ToDoItem& before, const ToDoItem& after,
                         const QDateTime& stamp);
