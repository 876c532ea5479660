#include "exchange/ICalendarExport.h"

#include "exchange/ExportTarget.h"
#include "exchange/ICalendarValues.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/Regional.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include <algorithm>
#include <optional>

namespace {
// The occurrence number tells apart items whose Action and Date In are the same.
QByteArray uidOf(const ToDoItem& item, int occurrence)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(item.value(ToDoItem::DateIn));
    hash.addData(QByteArrayView("\0", 1));
    hash.addData(item.action());
    hash.addData(QByteArrayView("\0", 1));
    hash.addData(QByteArray::number(occurrence));
    return hash.result().toHex().left(32) + "@quillmar";
}

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

// Calls put(uid, to-do) for every item in list order.
template <typename Put> void forEachToDo(const ToDoList& list, const QDateTime& stamp, Put put)
{
    const icaltimetype stampTime = ICalendarUtc(stamp);
    QHash<QByteArray, int> seen;
    for (const ToDoItem& item : list.items) {
        QByteArray identity = item.value(ToDoItem::DateIn).toByteArray();
        identity += '\0';
        identity += item.action();
        const QByteArray uid = uidOf(item, seen[identity]++);
        put(uid, toDoOf(item, uid, stampTime));
    }
}
} // namespace

QByteArray ListToICalendar(const ToDoList& list, const QDateTime& stamp)
{
    ICalendarComponent calendar = newCalendar();
    forEachToDo(list, stamp, [&](const QByteArray&, icalcomponent* todo) {
        icalcomponent_add_component(calendar.get(), todo);
    });
    return ICalendarSerialize(calendar.get());
}

std::vector<ICalendarToDoFile> ListToICalendarFiles(const ToDoList& list, const QDateTime& stamp)
{
    std::vector<ICalendarToDoFile> files;
    files.reserve(list.items.size());
    forEachToDo(list, stamp, [&](const QByteArray& uid, icalcomponent* todo) {
        ICalendarComponent calendar = newCalendar();
        icalcomponent_add_component(calendar.get(), todo);
        files.push_back({uid, ICalendarSerialize(calendar.get())});
    });
    return files;
}

IoResult WriteICalendarFile(const QString& path, const ToDoList& list, const QDateTime& stamp)
{
    if (IoResult r = CheckExportTarget(path); !r)
        return r;
    return AtomicFile::save(path, ListToICalendar(list, stamp));
}

IoResult WriteICalendarFolder(const QString& folder, const ToDoList& list, const QDateTime& stamp,
                              int* written)
{
    if (written)
        *written = 0;
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return IoResult::failure(
            QStringLiteral("Cannot write to-dos into %1: it is not a folder").arg(ShownPath(folder)),
            IoError::BadData);
    if (!info.exists() && !QDir().mkdir(folder))
        return IoResult::failure(QStringLiteral("Cannot create the folder %1").arg(ShownPath(folder)));
    const QDir dir(folder);
    const std::vector<ICalendarToDoFile> files = ListToICalendarFiles(list, stamp);
    // All or none as far as checking goes: no file is written when any of them may not be.
    for (const ICalendarToDoFile& file : files) {
        if (IoResult r =
                CheckExportTarget(dir.filePath(QString::fromLatin1(file.uid) + QLatin1String(".ics")));
            !r)
            return r;
    }
    // The names are the program's, not the user's: a link standing in the place of one is replaced, and
    // whatever it points to (another folder's settings, say) is left alone.
    for (const ICalendarToDoFile& file : files) {
        if (IoResult r = AtomicFile::save(dir.filePath(QString::fromLatin1(file.uid) + QLatin1String(".ics")),
                                          file.text, AtomicFile::Ownership::ProgramFile);
            !r)
            return r;
        if (written)
            ++*written;
    }
    return IoResult::success();
}
