#pragma once

#include "model/ToDoItem.h"
#include "platform/IoResult.h"

#include <QByteArrayView>
#include <QString>

#include <libical/ical.h>

#include <vector>

// To-dos of other programs (RFC 5545, read by libical) as new, items of the list:
//
//   Action        SUMMARY                Remarks       DESCRIPTION
//   Target        DUE (or DTSTART + DURATION), with its time of day when it has one
//   Date In       CREATED, else DTSTART  Priority      PRIORITY 1 (highest) .. 9 as 9 .. 1; 0 gives none
//   Project Name  the CATEGORIES, joined by ", "
//   Owner         CONTACT                File Location the first ATTACH that is a URI (file: as a path)
//   Alarm Time    the first VALARM, when it rings on the Target day
//   checked       STATUS:COMPLETED, a COMPLETED time or PERCENT-COMPLETE:100
//
// libical trims the blanks around each value. Dates and times are written in the regional formats, in local
// time. Texts are recoded into the list's code page with their line breaks as CR LF; a text the code page
// cannot hold refuses the whole import. What the list cannot hold is counted so that the user is told: repeat
// rules (the item stands for the first occurrence), links between to-dos and sub-tasks, further or inline
// attachments, further alarms or alarms off the Target day, and values libical could not read.
struct ICalendarImport
{
    std::vector<ToDoItem> items;
    int repeatRules = 0;
    int subTasks = 0;
    int attachments = 0;
    int alarms = 0;
    int unreadable = 0;
};

// The item one to-do maps to, as the import makes it; texts the code page cannot hold are written as near
// as it allows (the sync takes every to-do of its collection).
ToDoItem ICalendarToDoItem(icalcomponent* todo);

// The largest iCalendar file an import reads.
inline constexpr qint64 kICalendarFileLimit = qint64(64) << 20;

// Appends the to-dos of one iCalendar text (UTF-8, one or more calendars) to into. Refused, with nothing
// appended: text that is no iCalendar, is not UTF-8 or holds a NUL, and texts the code page cannot hold.
// fileName names the file in errors.
IoResult ICalendarToItems(QByteArrayView text, ICalendarImport& into, const QString& fileName);
// A calendar file, or a folder of them (every *.ics file in it, in name order, as vdirs hold one to-do per
// file). All or nothing: into is changed only when every file was read.
IoResult ReadICalendar(const QString& path, ICalendarImport& into);
// What the import did, for the user: how many items came from path, and what the list could not hold.
QString ICalendarImportSummary(const QString& path, const ICalendarImport& import);
