#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QStringView>

#include <libical/ical.h>

#include <memory>
#include <optional>

// What the iCalendar export and import share: libical's components owned, texts and times converted.

struct ICalendarComponentFree
{
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using ICalendarComponent = std::unique_ptr<icalcomponent, ICalendarComponentFree>;

// A TEXT value as UTF-8: every line break (CR LF, CR or LF) one LF, control characters but tab dropped, as
// a TEXT value may not hold them. libical escapes the rest.
QByteArray ICalendarText(QStringView text);
// The component as libical writes it: CRLF line ends, lines folded at 75 octets.
QByteArray ICalendarSerialize(icalcomponent* component);

icaltimetype ICalendarUtc(const QDateTime& moment);
icaltimetype ICalendarDate(const QDate& day);
// A libical time as local time: a date at midnight, UTC and zoned times converted, floating times as
// they are. Invalid for a null time.
QDateTime ICalendarLocalTime(const icaltimetype& time);

// A Date In or Target as date and time of day (midnight when it names none); nullopt when it is empty or
// no date can be read from it.
std::optional<QDateTime> ICalendarItemMoment(QByteArrayView text);

// The moment an alarm of a to-do rings, in local time: an absolute trigger, or one relative to the start
// (DTSTART, else DUE, as calendars take it for to-dos without a start) or, with RELATED=END, to the due
// time. Invalid when it cannot be told.
QDateTime ICalendarAlarmMoment(icalcomponent* todo, icalcomponent* valarm);
