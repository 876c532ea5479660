#pragma once

#include "model/ToDoList.h"
#include "platform/IoResult.h"

class BufferedWriter;
class JobProgress;

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <libical/ical.h>

#include <vector>

// The list as iCalendar to-dos (RFC 5545) for calendar programs: one VTODO per item, UTF-8, CRLF line
// ends, folded at 75 octets. The text is written as it goes, item by item, through one buffer: an export
// of a million items holds no copy of itself in memory. libical (the import's reader) reads it back.
//
//   SUMMARY      the Action (none when it is empty: an empty SUMMARY is no valid TEXT)
//   DESCRIPTION  the Remarks (when there are any)
//   DUE          the Target: a date, or a date and time (in UTC) when it names a time of day
//   CREATED      the Date In with its time of day (midnight when it names none)
//   PRIORITY     from the Priority: a larger number is more urgent, as the list's first sort by
//                Priority shows, so 9 and above become 1 (highest), 5 stays 5, 1 becomes 9;
//                0, negative and unreadable numbers give no PRIORITY
//   CATEGORIES   the Project Name (libical writes it as a list: commas in it separate categories)
//   CONTACT      the Owner
//   ATTACH       the File Location: an absolute path as a file: URI, a URL as it is; anything else (a
//                relative path means nothing to another program) gives none
//   STATUS       COMPLETED for checked items, NEEDS-ACTION otherwise
//   VALARM       a display alarm at the Alarm Time on the Target day (both must be readable)
//   UID          stable for an item as long as its Action and Date In stay: the same item gets the same
//                UID in every export, however the list is sorted or its other values change, and items
//                that are alike are told apart by their order
//
// Texts are decoded from the list's code page; line breaks (CR LF, CR or LF) become one LF, and control
// characters, which a TEXT value may not hold, are dropped; a text of blanks alone gives no property (libical
// trims the blanks around a value as it reads it). Dates are read in the regional formats, and local
// times become UTC by the time zone of the run.

// One to-do of a whole export: its UID and its own calendar file.
struct ICalendarToDoFile
{
    QByteArray uid;
    QByteArray text;
};

// The whole list as one calendar; stamp is the time of the export (DTSTAMP).
QByteArray ListToICalendar(const ToDoList& list, const QDateTime& stamp);
// Every item as a calendar of its own, in list order: what tools that keep one file per to-do (a vdir)
// read.
std::vector<ICalendarToDoFile> ListToICalendarFiles(const ToDoList& list, const QDateTime& stamp);
// Streams the whole list as one calendar into out. progress (may be null) counts the items written; once it
// is cancelled the run stops and says so (IoError::Cancelled).
IoResult WriteICalendar(BufferedWriter& out, const ToDoList& list, const QDateTime& stamp,
                        JobProgress* progress = nullptr);
// Replaces path only once everything is written; a cancelled or failed run leaves it as it was.
IoResult WriteICalendarFile(const QString& path, const ToDoList& list, const QDateTime& stamp,
                            JobProgress* progress = nullptr);
// A vdir: one file per to-do in folder, named by its UID with ".ics", the folder made when it is missing
// (not its parents). Every file is checked as an export target before the first is written; files of
// earlier exports whose to-dos are gone stay. A run that fails part-way removes the files it added (and the
// folder it made); the files it had already replaced stay new, and its message says how many.
// written: the number of files written and left in place.
IoResult WriteICalendarFolder(const QString& folder, const ToDoList& list, const QDateTime& stamp,
                              int* written = nullptr);

// The pieces of a content line. A TEXT value (UTF-8) escaped: backslash, semicolon, comma and line break;
// in a list value (CATEGORIES) commas and semicolons separate values and stay as they are.
void ICalendarEscape(QByteArray& out, QByteArrayView value, bool listValue = false);
// A content line folded after 75 octets, never inside a UTF-8 sequence, with its CRLF.
QByteArray ICalendarFold(QByteArrayView line);
