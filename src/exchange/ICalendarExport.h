#pragma once

#include "model/ToDoList.h"
#include "platform/IoResult.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The list as an iCalendar file (RFC 5545) for calendar programs: one VTODO per item, UTF-8, CRLF line ends.
//
//   SUMMARY      the Action              DESCRIPTION  the Remarks (when there are any)
//   DUE          the Target, as a date   CREATED      the Date In (midnight when it has no time)
//   PRIORITY     from the Priority: a larger number is more urgent, as the list's first sort by
//                Priority shows, so 9 and above become 1 (highest), 5 stays 5, 1 becomes 9;
//                0, negative and unreadable numbers give no PRIORITY
//   CATEGORIES   the Project Name        CONTACT      the Owner
//   ATTACH       the File Location as a file URL
//   STATUS       COMPLETED for checked items, NEEDS-ACTION otherwise
//   VALARM       a display alarm at the Alarm Time on the Target day (both must be readable)
//   UID          stable for an item as long as its Action and Date In stay: the same item gets the same
//                UID in every export, however the list is sorted or its other values change, and items
//                that are alike are told apart by their order
//
// Texts are decoded from the list's code page; dates are read in the regional formats. Times are written
// in UTC.

// TEXT value escaping: backslash, semicolon and comma get a backslash, line breaks become "\n", and control
// characters, which a TEXT value may not hold, are dropped.
QByteArray ICalendarEscape(QStringView text);
// One content line (without its line end) folded so that no line is longer than 75 octets: the rest goes
// on lines that start with a blank. A UTF-8 character is never split. Ends with CRLF.
QByteArray ICalendarFold(QByteArrayView line);
// The whole file; stamp is the time of the export (DTSTAMP).
QByteArray ListToICalendar(const ToDoList& list, const QDateTime& stamp);
IoResult WriteICalendarFile(const QString& path, const ToDoList& list, const QDateTime& stamp);
