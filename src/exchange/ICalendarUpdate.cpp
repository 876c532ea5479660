#include "exchange/ICalendarUpdate.h"

#include "exchange/ICalendarExport.h"
#include "exchange/ICalendarValues.h"

namespace {
// The export of item alone, read back by libical; todo is its VTODO.
struct Exported
{
    ICalendarComponent root;
    icalcomponent* todo = nullptr;
};

Exported exported(const ToDoItem& item, const QDateTime& stamp)
{
    ToDoList one;
    one.items.push_back(item);
    const std::vector<ICalendarToDoFile> files = ListToICalendarFiles(one, stamp);
    Exported e;
    if (files.empty())
        return e;
    e.root.reset(icalparser_parse_string(files.front().text.constData()));
    if (e.root)
        e.todo = icalcomponent_get_first_component(e.root.get(), ICAL_VTODO_COMPONENT);
    return e;
}

void removeAll(icalcomponent* c, icalproperty_kind kind)
{
    while (icalproperty* p = icalcomponent_get_first_property(c, kind)) {
        icalcomponent_remove_property(c, p);
        icalproperty_free(p);
    }
}

// Copies the properties of that kind from one to-do to the other (the first only, when first).
void copy(icalcomponent* from, icalcomponent* to, icalproperty_kind kind, bool first = false)
{
    for (icalproperty* p = icalcomponent_get_first_property(from, kind); p;
         p = icalcomponent_get_next_property(from, kind)) {
        icalcomponent_add_property(to, icalproperty_new_clone(p));
        if (first)
            break;
    }
}

// The alarm the Alarm Time stands for: the first that rings on the Target day, as the import reads.
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

// The first attachment that is a URI: the one the File Location was read from.
icalproperty* locationAttachment(icalcomponent* todo)
{
    for (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_ATTACH_PROPERTY); p;
         p = icalcomponent_get_next_property(todo, ICAL_ATTACH_PROPERTY)) {
        if (icalattach* a = icalproperty_get_attach(p); a && icalattach_get_is_url(a))
            return p;
    }
    return nullptr;
}
} // namespace

QByteArray ItemToICalendar(const ToDoItem& item, const QByteArray& uid, const QDateTime& stamp)
{
    Exported e = exported(item, stamp);
    if (!e.todo)
        return {};
    icalcomponent_set_uid(e.todo, uid.constData());
    return ICalendarSerialize(e.root.get());
}

void UpdateICalendarToDo(icalcomponent* todo, const ToDoItem& before, const ToDoItem& after,
                         const QDateTime& stamp)
{
    Exported fresh = exported(after, stamp);
    if (!fresh.todo)
        return;
    const auto changed = [&](int k) { return before.value(k) != after.value(k); };
    // The alarm is found by the Target it was read with, so before DUE changes.
    icalcomponent* alarm = mappedAlarm(todo);
    const auto replace = [&](icalproperty_kind kind) {
        removeAll(todo, kind);
        copy(fresh.todo, todo, kind);
    };
    if (before.action() != after.action())
        replace(ICAL_SUMMARY_PROPERTY);
    if (changed(ToDoItem::Remarks))
        replace(ICAL_DESCRIPTION_PROPERTY);
    if (changed(ToDoItem::Target)) {
        // DUE and DURATION may not stand together; the Target replaces whichever gave the due time.
        removeAll(todo, ICAL_DURATION_PROPERTY);
        replace(ICAL_DUE_PROPERTY);
    }
    if (changed(ToDoItem::DateIn))
        replace(ICAL_CREATED_PROPERTY);
    if (changed(ToDoItem::Priority))
        replace(ICAL_PRIORITY_PROPERTY);
    if (changed(ToDoItem::ProjectName))
        replace(ICAL_CATEGORIES_PROPERTY);
    if (changed(ToDoItem::Owner)) {
        // Only the contact the Owner was read from; further ones stay.
        if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_CONTACT_PROPERTY)) {
            icalcomponent_remove_property(todo, p);
            icalproperty_free(p);
        }
        copy(fresh.todo, todo, ICAL_CONTACT_PROPERTY, true);
    }
    if (changed(ToDoItem::FileLocation)) {
        if (icalproperty* p = locationAttachment(todo)) {
            icalcomponent_remove_property(todo, p);
            icalproperty_free(p);
        }
        copy(fresh.todo, todo, ICAL_ATTACH_PROPERTY, true);
    }
    if (before.checked() != after.checked()) {
        removeAll(todo, ICAL_COMPLETED_PROPERTY);
        removeAll(todo, ICAL_PERCENTCOMPLETE_PROPERTY);
        replace(ICAL_STATUS_PROPERTY);
        if (after.checked())
            icalcomponent_add_property(todo, icalproperty_new_completed(ICalendarUtc(stamp)));
    }
    if (changed(ToDoItem::AlarmTime) || changed(ToDoItem::Target)) {
        if (alarm) {
            icalcomponent_remove_component(todo, alarm);
            icalcomponent_free(alarm);
        }
        if (icalcomponent* valarm = icalcomponent_get_first_component(fresh.todo, ICAL_VALARM_COMPONENT))
            icalcomponent_add_component(todo, icalcomponent_new_clone(valarm));
    }
    removeAll(todo, ICAL_DTSTAMP_PROPERTY);
    icalcomponent_add_property(todo, icalproperty_new_dtstamp(ICalendarUtc(stamp)));
    removeAll(todo, ICAL_LASTMODIFIED_PROPERTY);
    icalcomponent_add_property(todo, icalproperty_new_lastmodified(ICalendarUtc(stamp)));
}
