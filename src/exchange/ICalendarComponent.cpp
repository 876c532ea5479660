#include "exchange/ICalendarComponent.h"

#include "exchange/ICalendarImport.h"
#include "exchange/ICalendarValues.h"

#include <QDir>
#include <QTime>
#include <QUrl>

#include <algorithm>
#include <optional>

namespace {
std::optional<int> priorityOf(const ToDoItem& item)
{
    bool ok = false;
    const int p = item.valueText(ToDoItem::Priority).trimmed().toInt(&ok);
    if (!ok || p <= 0)
        return std::nullopt;
    return std::clamp(10 - p, 1, 9);
}

// A file: URI for an absolute path, a URL as it is; a relative path has no meaning elsewhere. A scheme of
// one letter is a drive ("C:\..."), not a URL.
std::optional<QByteArray> attachmentOf(const QString& location)
{
    const QString trimmed = location.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    if (QDir::isAbsolutePath(trimmed))
        return QUrl::fromLocalFile(trimmed).toEncoded();
    const QUrl url(trimmed, QUrl::TolerantMode);
    if (url.isValid() && url.scheme().size() > 1 && !url.isRelative())
        return url.toEncoded();
    return std::nullopt;
}

// A text made of blanks alone is no value to libical's reader (it trims them): such a text gives no
// property, as an empty one does.
QByteArray textValue(const QString& text)
{
    QByteArray value = ICalendarText(text);
    const bool blank =
        std::all_of(value.cbegin(), value.cend(), [](char c) { return c == ' ' || c == '\t'; });
    return blank ? QByteArray() : value;
}

void addText(icalcomponent* todo, icalproperty* (*make)(const char*), const QString& text)
{
    if (const QByteArray value = textValue(text); !value.isEmpty())
        icalcomponent_add_property(todo, make(value.constData()));
}

icalcomponent* toDoOf(const ToDoItem& item, const QByteArray& uid, const icaltimetype& stamp)
{
    icalcomponent* todo = icalcomponent_new(ICAL_VTODO_COMPONENT);
    icalcomponent_add_property(todo, icalproperty_new_uid(uid.constData()));
    icalcomponent_add_property(todo, icalproperty_new_dtstamp(stamp));
    if (const auto created = ICalendarItemMoment(item.value(ToDoItem::DateIn)))
        icalcomponent_add_property(todo, icalproperty_new_created(ICalendarUtc(*created)));
    addText(todo, icalproperty_new_summary, item.actionText());
    addText(todo, icalproperty_new_description, item.valueText(ToDoItem::Remarks));
    const auto target = ICalendarItemMoment(item.value(ToDoItem::Target));
    if (target) {
        // A Target without a time of day is a day, as calendars show all-day to-dos.
        icalcomponent_add_property(todo, icalproperty_new_due(target->time() == QTime(0, 0)
                                                                  ? ICalendarDate(target->date())
                                                                  : ICalendarUtc(*target)));
    }
    if (const auto priority = priorityOf(item))
        icalcomponent_add_property(todo, icalproperty_new_priority(*priority));
    addText(todo, icalproperty_new_categories, item.valueText(ToDoItem::ProjectName));
    addText(todo, icalproperty_new_contact, item.valueText(ToDoItem::Owner));
    if (const auto url = attachmentOf(item.valueText(ToDoItem::FileLocation))) {
        icalattach* attach = icalattach_new_from_url(url->constData());
        icalcomponent_add_property(todo, icalproperty_new_attach(attach));
        icalattach_unref(attach);
    }
    icalcomponent_add_property(
        todo, icalproperty_new_status(item.checked() ? ICAL_STATUS_COMPLETED : ICAL_STATUS_NEEDSACTION));
    if (const std::optional<QTime> alarm = item.alarmTime(); target && alarm) {
        icalcomponent* valarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
        icalcomponent_add_property(valarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
        // A display alarm must say something.
        const QByteArray said = textValue(item.actionText());
        icalcomponent_add_property(valarm,
                                   icalproperty_new_description(said.isEmpty() ? "To-do" : said.constData()));
        icaltriggertype trigger = icaltriggertype_from_int(0);
        trigger.time = ICalendarUtc(QDateTime(target->date(), *alarm));
        icalcomponent_add_property(valarm, icalproperty_new_trigger(trigger));
        icalcomponent_add_component(todo, valarm);
    }
    return todo;
}

ICalendarComponent newCalendar()
{
    ICalendarComponent calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(),
                               icalproperty_new_prodid("-//Quillmar//Quillmar " QUILLMAR_VERSION "//EN"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    return calendar;
}

void removeAll(icalcomponent* c, icalproperty_kind kind)
{
    while (icalproperty* p = icalcomponent_get_first_property(c, kind)) {
        icalcomponent_remove_property(c, p);
        icalproperty_free(p);
    }
}

void removeFirst(icalcomponent* c, icalproperty_kind kind)
{
    if (icalproperty* p = icalcomponent_get_first_property(c, kind)) {
        icalcomponent_remove_property(c, p);
        icalproperty_free(p);
    }
}

void replaceText(icalcomponent* todo, icalproperty_kind kind, icalproperty* (*make)(const char*),
                 const QString& text)
{
    removeAll(todo, kind);
    addText(todo, make, text);
}

// The alarm the Alarm Time of item stands for: the first that rings on its Target day, as the import reads.
icalcomponent* mappedAlarm(icalcomponent* todo)
{
    const QDateTime target = ICalendarLocalTime(icalcomponent_get_due(todo));
    for (icalcomponent* valarm = icalcomponent_get_first_component(todo, ICAL_VALARM_COMPONENT); valarm;
         valarm = icalcomponent_get_next_component(todo, ICAL_VALARM_COMPONENT)) {
        const QDateTime moment = ICalendarAlarmMoment(todo, valarm);
        if (moment.isValid() && target.isValid() && moment.date() == target.date())
            return valarm;
    }
    return nullptr;
}
} // namespace

QByteArray ItemToICalendar(const ToDoItem& item, const QByteArray& uid, const QDateTime& stamp)
{
    ICalendarComponent calendar = newCalendar();
    icalcomponent_add_component(calendar.get(), toDoOf(item, uid, ICalendarUtc(stamp)));
    return ICalendarSerialize(calendar.get());
}

void UpdateICalendarToDo(icalcomponent* todo, const ToDoItem& before, const ToDoItem& after,
                         const QDateTime& stamp)
{
    const auto changed = [&](int k) { return before.value(k) != after.value(k); };
    // The alarm is found by the Target it was read with, so before DUE changes.
    icalcomponent* alarm = mappedAlarm(todo);
    if (before.action() != after.action())
        replaceText(todo, ICAL_SUMMARY_PROPERTY, icalproperty_new_summary, after.actionText());
    if (changed(ToDoItem::Remarks))
        replaceText(todo, ICAL_DESCRIPTION_PROPERTY, icalproperty_new_description,
                    after.valueText(ToDoItem::Remarks));
    const auto target = ICalendarItemMoment(after.value(ToDoItem::Target));
    if (changed(ToDoItem::Target)) {
        // DUE and DURATION may not stand together; the Target replaces whichever gave the due time.
        removeAll(todo, ICAL_DUE_PROPERTY);
        removeAll(todo, ICAL_DURATION_PROPERTY);
        if (target)
            icalcomponent_add_property(todo, icalproperty_new_due(target->time() == QTime(0, 0)
                                                                      ? ICalendarDate(target->date())
                                                                      : ICalendarUtc(*target)));
    }
    if (changed(ToDoItem::DateIn)) {
        removeAll(todo, ICAL_CREATED_PROPERTY);
        if (const auto created = ICalendarItemMoment(after.value(ToDoItem::DateIn)))
            icalcomponent_add_property(todo, icalproperty_new_created(ICalendarUtc(*created)));
    }
    if (changed(ToDoItem::Priority)) {
        removeAll(todo, ICAL_PRIORITY_PROPERTY);
        if (const auto priority = priorityOf(after))
            icalcomponent_add_property(todo, icalproperty_new_priority(*priority));
    }
    if (changed(ToDoItem::ProjectName))
        replaceText(todo, ICAL_CATEGORIES_PROPERTY, icalproperty_new_categories,
                    after.valueText(ToDoItem::ProjectName));
    if (changed(ToDoItem::Owner)) {
        removeFirst(todo, ICAL_CONTACT_PROPERTY);
        addText(todo, icalproperty_new_contact, after.valueText(ToDoItem::Owner));
    }
    if (changed(ToDoItem::FileLocation)) {
        // Only the attachment the File Location was read from; further ones stay.
        for (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_ATTACH_PROPERTY); p;
             p = icalcomponent_get_next_property(todo, ICAL_ATTACH_PROPERTY)) {
            if (icalattach* a = icalproperty_get_attach(p); a && icalattach_get_is_url(a)) {
                icalcomponent_remove_property(todo, p);
                icalproperty_free(p);
                break;
            }
        }
        if (const auto url = attachmentOf(after.valueText(ToDoItem::FileLocation))) {
            icalattach* attach = icalattach_new_from_url(url->constData());
            icalcomponent_add_property(todo, icalproperty_new_attach(attach));
            icalattach_unref(attach);
        }
    }
    if (before.checked() != after.checked()) {
        removeAll(todo, ICAL_STATUS_PROPERTY);
        removeAll(todo, ICAL_COMPLETED_PROPERTY);
        removeAll(todo, ICAL_PERCENTCOMPLETE_PROPERTY);
        icalcomponent_add_property(
            todo, icalproperty_new_status(after.checked() ? ICAL_STATUS_COMPLETED : ICAL_STATUS_NEEDSACTION));
        if (after.checked())
            icalcomponent_add_property(todo, icalproperty_new_completed(ICalendarUtc(stamp)));
    }
    if (changed(ToDoItem::AlarmTime) || changed(ToDoItem::Target)) {
        const std::optional<QTime> time = after.alarmTime();
        if (alarm && !(target && time)) {
            icalcomponent_remove_component(todo, alarm);
            icalcomponent_free(alarm);
        } else if (target && time) {
            if (!alarm) {
                alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
                icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
                const QByteArray said = textValue(after.actionText());
                icalcomponent_add_property(
                    alarm, icalproperty_new_description(said.isEmpty() ? "To-do" : said.constData()));
                icalcomponent_add_component(todo, alarm);
            }
            removeAll(alarm, ICAL_TRIGGER_PROPERTY);
            icaltriggertype trigger = icaltriggertype_from_int(0);
            trigger.time = ICalendarUtc(QDateTime(target->date(), *time));
            icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
        }
    }
    removeAll(todo, ICAL_DTSTAMP_PROPERTY);
    icalcomponent_add_property(todo, icalproperty_new_dtstamp(ICalendarUtc(stamp)));
    removeAll(todo, ICAL_LASTMODIFIED_PROPERTY);
    icalcomponent_add_property(todo, icalproperty_new_lastmodified(ICalendarUtc(stamp)));
}
