#include "exchange/sync/SyncVersions.h"

#include "config/LanguageTexts.h"
#include "exchange/ICalendarImport.h"
#include "exchange/ICalendarUpdate.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"

RemoteToDo parseToDo(const QByteArray& calendar)
{
    RemoteToDo r;
    if (calendar.isEmpty())
        return r;
    r.root.reset(icalparser_parse_string(calendar.constData()));
    if (!r.root)
        return r;
    if (icalcomponent_isa(r.root.get()) == ICAL_VTODO_COMPONENT)
        r.todo = r.root.get();
    else
        r.todo = icalcomponent_get_first_component(r.root.get(), ICAL_VTODO_COMPONENT);
    return r;
}

QByteArray uidOf(icalcomponent* todo)
{
    const char* uid = icalcomponent_get_uid(todo);
    return uid ? QByteArray(uid) : QByteArray();
}

QByteArray editedCalendar(const QByteArray& calendar, const ToDoItem& before, const ToDoItem& after)
{
    RemoteToDo r = parseToDo(calendar);
    if (!r.todo)
        return {};
    UpdateICalendarToDo(r.todo, before, after, Clock::now());
    return ICalendarSerialize(r.root.get());
}

ToDoItem mergedRemote(const ToDoItem& theirs, const ToDoItem& base, const QByteArray& baseCalendar)
{
    RemoteToDo was = parseToDo(baseCalendar);
    if (!was.todo)
        was = parseToDo(ItemToICalendar(base, "base", Clock::now()));
    if (!was.todo)
        return theirs;
    const ToDoItem mapped = ICalendarToDoItem(was.todo);
    ToDoItem merged = base;
    if (theirs.action() != mapped.action())
        merged.setAction(theirs.action());
    if (theirs.checked() != mapped.checked())
        merged.setChecked(theirs.checked());
    for (int k = 0; k < ToDoItem::ColumnCount; ++k) {
        if (theirs.value(k) != mapped.value(k))
            merged.setValue(k, theirs.value(k));
    }
    return merged;
}

ToDoItem conflictCopy(const ToDoItem& row)
{
    ToDoItem copy = row;
    QByteArray remarks = row.value(ToDoItem::Remarks).toByteArray();
    if (!remarks.isEmpty())
        remarks += "\r\n";
    remarks += CodePage::encodeLossy(LanguageTexts::shared()
                                         .text("SyncRemarks", "ConflictCopy")
                                         .arg(Clock::now().toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    copy.setValue(ToDoItem::Remarks, remarks);
    return copy;
}
