#include "exchange/ICalendarValues.h"

#include "platform/Regional.h"

#include <QString>

QByteArray ICalendarText(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            out += QLatin1Char('\n');
        } else if (c == '\n' || c == '\t' || (c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0))) {
            out += QChar(c);
        }
    }
    return out.toUtf8();
}

QByteArray ICalendarSerialize(icalcomponent* component)
{
    char* text = icalcomponent_as_ical_string_r(component);
    QByteArray out(text);
    icalmemory_free_buffer(text);
    return out;
}

icaltimetype ICalendarUtc(const QDateTime& moment)
{
    return icaltime_from_timet_with_zone(moment.toSecsSinceEpoch(), 0, icaltimezone_get_utc_timezone());
}

icaltimetype ICalendarDate(const QDate& day)
{
    icaltimetype t = icaltime_null_date();
    t.year = day.year();
    t.month = day.month();
    t.day = day.day();
    return t;
}

QDateTime ICalendarLocalTime(const icaltimetype& time)
{
    if (icaltime_is_null_time(time) || !icaltime_is_valid_time(time))
        return QDateTime();
    const QDate day(time.year, time.month, time.day);
    if (time.is_date)
        return QDateTime(day, QTime(0, 0));
    if (icaltime_is_utc(time) || time.zone)
        return QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(time, time.zone)).toLocalTime();
    return QDateTime(day, QTime(time.hour, time.minute, time.second));
}

std::optional<QDateTime> ICalendarItemMoment(QByteArrayView text)
{
    // A time alone comes back on day 0; such a text names no date.
    static const QDate kDayZero(1899, 12, 30);
    if (const auto full = Regional::textToDateTime(text); full && full->date() != kDayZero)
        return full;
    if (const auto day = Regional::textToDate(text))
        return QDateTime(*day, QTime(0, 0));
    return std::nullopt;
}

QDateTime ICalendarAlarmMoment(icalcomponent* todo, icalcomponent* valarm)
{
    icalproperty* p = icalcomponent_get_first_property(valarm, ICAL_TRIGGER_PROPERTY);
    if (!p)
        return {};
    const icaltriggertype trigger = icalproperty_get_trigger(p);
    if (!icaltime_is_null_time(trigger.time))
        return ICalendarLocalTime(trigger.time);
    icalparameter* related = icalproperty_get_first_parameter(p, ICAL_RELATED_PARAMETER);
    const bool fromEnd = related && icalparameter_get_related(related) == ICAL_RELATED_END;
    icaltimetype base = fromEnd ? icalcomponent_get_due(todo) : icalcomponent_get_dtstart(todo);
    if (icaltime_is_null_time(base))
        base = icalcomponent_get_due(todo);
    const QDateTime start = ICalendarLocalTime(base);
    if (!start.isValid())
        return {};
    return start.addSecs(icaldurationtype_as_int(trigger.duration));
}
