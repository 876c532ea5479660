#include "exchange/ICalendarImport.h"

#include "config/LanguageTexts.h"

#include "exchange/ICalendarValues.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Regional.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <cstring>

namespace {
// An import refused whole: key names the reason's text in the language table.
IoResult refused(const QString& fileName, const char* key)
{
    return IoResult::failure(LanguageTexts::shared().text("Imports", key).arg(ShownPath(fileName)),
                             IoError::BadData);
}

// Collects the item's texts in the code page, and the characters it cannot hold.
class ItemTexts
{
public:
    QByteArray encode(const char* utf8)
    {
        if (!utf8 || !*utf8)
            return {};
        QString text = QString::fromUtf8(utf8);
        // The list's texts break their lines as the editor does.
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        CodePage::Encoded encoded = CodePage::encode(text);
        for (const QChar c : std::as_const(encoded.unmappable)) {
            if (!m_unmappable.contains(c))
                m_unmappable += c;
        }
        return encoded.bytes;
    }
    QByteArray encode(const QString& text) { return encode(text.toUtf8().constData()); }
    const QString& unmappable() const { return m_unmappable; }

private:
    QString m_unmappable;
};

QByteArray dateText(const icaltimetype& time)
{
    const QDateTime local = ICalendarLocalTime(time);
    if (!local.isValid())
        return {};
    return CodePage::encodeLossy(time.is_date ? Regional::dateToText(local.date())
                                              : Regional::dateTimeToText(local));
}

QByteArray locationOf(icalattach* attach)
{
    const QUrl url = QUrl::fromEncoded(QByteArray(icalattach_get_url(attach)));
    if (url.isLocalFile())
        return url.toLocalFile().toUtf8();
    return QByteArray(icalattach_get_url(attach));
}

ToDoItem itemOf(icalcomponent* todo, ICalendarImport& counts, ItemTexts& texts)
{
    ToDoItem item = ToDoItem::make(texts.encode(icalcomponent_get_summary(todo)));
    item.setValue(ToDoItem::Remarks, texts.encode(icalcomponent_get_description(todo)));
    const icaltimetype due = icalcomponent_get_due(todo);
    item.setValue(ToDoItem::Target, dateText(due));
    if (icalproperty* created = icalcomponent_get_first_property(todo, ICAL_CREATED_PROPERTY))
        item.setValue(ToDoItem::DateIn, dateText(icalproperty_get_created(created)));
    else
        item.setValue(ToDoItem::DateIn, dateText(icalcomponent_get_dtstart(todo)));
    if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_PRIORITY_PROPERTY)) {
        if (const int priority = icalproperty_get_priority(p); priority >= 1 && priority <= 9)
            item.setValue(ToDoItem::Priority, QByteArray::number(10 - priority));
    }
    QString categories;
    for (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_CATEGORIES_PROPERTY); p;
         p = icalcomponent_get_next_property(todo, ICAL_CATEGORIES_PROPERTY)) {
        if (const char* c = icalproperty_get_categories(p); c && *c)
            categories += (categories.isEmpty() ? QString() : QStringLiteral(", ")) + QString::fromUtf8(c);
    }
    item.setValue(ToDoItem::ProjectName, texts.encode(categories));
    if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_CONTACT_PROPERTY))
        item.setValue(ToDoItem::Owner, texts.encode(icalproperty_get_contact(p)));

    bool located = false;
    for (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_ATTACH_PROPERTY); p;
         p = icalcomponent_get_next_property(todo, ICAL_ATTACH_PROPERTY)) {
        icalattach* attach = icalproperty_get_attach(p);
        if (!located && attach && icalattach_get_is_url(attach)) {
            item.setValue(ToDoItem::FileLocation, texts.encode(locationOf(attach).constData()));
            located = true;
        } else {
            ++counts.attachments;
        }
    }

    bool alarmed = false;
    for (icalcomponent* valarm = icalcomponent_get_first_component(todo, ICAL_VALARM_COMPONENT); valarm;
         valarm = icalcomponent_get_next_component(todo, ICAL_VALARM_COMPONENT)) {
        // The list rings once, at the Alarm Time of the Target day.
        const QDateTime moment = alarmed ? QDateTime() : ICalendarAlarmMoment(todo, valarm);
        const QDateTime target = ICalendarLocalTime(due);
        if (moment.isValid() && target.isValid() && moment.date() == target.date()) {
            item.setValue(ToDoItem::AlarmTime, CodePage::encodeLossy(Regional::timeToText(moment.time())));
            alarmed = true;
        } else {
            ++counts.alarms;
        }
    }

    bool completed = icalcomponent_get_status(todo) == ICAL_STATUS_COMPLETED ||
                     icalcomponent_get_first_property(todo, ICAL_COMPLETED_PROPERTY) != nullptr;
    if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_PERCENTCOMPLETE_PROPERTY))
        completed = completed || icalproperty_get_percentcomplete(p) >= 100;
    item.setChecked(completed);

    for (const icalproperty_kind repeat :
         {ICAL_RRULE_PROPERTY, ICAL_RDATE_PROPERTY, ICAL_EXRULE_PROPERTY, ICAL_EXDATE_PROPERTY}) {
        if (icalcomponent_get_first_property(todo, repeat)) {
            ++counts.repeatRules;
            break;
        }
    }
    if (icalcomponent_get_first_property(todo, ICAL_RELATEDTO_PROPERTY))
        ++counts.subTasks;
    for (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_XLICERROR_PROPERTY); p;
         p = icalcomponent_get_next_property(todo, ICAL_XLICERROR_PROPERTY))
        ++counts.unreadable;
    return item;
}

void append(ICalendarImport& into, ICalendarImport& read)
{
    for (ToDoItem& item : read.items)
        into.items.push_back(std::move(item));
    into.repeatRules += read.repeatRules;
    into.subTasks += read.subTasks;
    into.attachments += read.attachments;
    into.alarms += read.alarms;
    into.unreadable += read.unreadable;
}

void collect(icalcomponent* calendar, ICalendarImport& into, ItemTexts& texts)
{
    for (icalcomponent* todo = icalcomponent_get_first_component(calendar, ICAL_VTODO_COMPONENT); todo;
         todo = icalcomponent_get_next_component(calendar, ICAL_VTODO_COMPONENT))
        into.items.push_back(itemOf(todo, into, texts));
}
} // namespace

ToDoItem ICalendarToDoItem(icalcomponent* todo)
{
    ICalendarImport counts;
    ItemTexts texts;
    return itemOf(todo, counts, texts);
}

IoResult ICalendarToItems(QByteArrayView text, ICalendarImport& into, const QString& fileName)
{
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    if (std::memchr(text.data(), '\0', size_t(text.size())))
        return refused(fileName, "NulByte");
    if (CodePage::firstInvalidUtf8(text) >= 0)
        return refused(fileName, "NotUtf8");
    const QByteArray terminated = text.toByteArray();
    ICalendarComponent root(icalparser_parse_string(terminated.constData()));
    const icalcomponent_kind kind = root ? icalcomponent_isa(root.get()) : ICAL_NO_COMPONENT;
    // Several calendars in one file come under an XROOT.
    const bool several = kind == ICAL_XROOT_COMPONENT &&
                         icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
    if (kind != ICAL_VCALENDAR_COMPONENT && !several)
        return refused(fileName, "NotICalendar");

    ICalendarImport read;
    ItemTexts texts;
    if (several) {
        for (icalcomponent* c = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT); c;
             c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
            collect(c, read, texts);
    } else {
        collect(root.get(), read, texts);
    }
    if (!texts.unmappable().isEmpty())
        return IoResult::failure(
            LanguageTexts::shared().text("Imports", "Unmappable").arg(ShownPath(fileName)) +
                QLatin1Char(' ') + UnmappableText(texts.unmappable()),
            IoError::BadData);
    append(into, read);
    return IoResult::success();
}

IoResult ReadICalendar(const QString& path, ICalendarImport& into)
{
    QStringList files;
    if (QFileInfo(path).isDir()) {
        const QDir dir(path);
        for (const QString& name : dir.entryList({QStringLiteral("*.ics")}, QDir::Files, QDir::Name))
            files << dir.filePath(name);
    } else {
        files << path;
    }
    ICalendarImport read;
    for (const QString& file : std::as_const(files)) {
        QByteArray text;
        if (IoResult r = ReadRegularFile(file, kICalendarFileLimit, text); !r)
            return r;
        if (IoResult r = ICalendarToItems(text, read, file); !r)
            return r;
    }
    append(into, read);
    return IoResult::success();
}

QString ICalendarImportSummary(const QString& path, const ICalendarImport& import)
{
    const LanguageTexts& texts = LanguageTexts::shared();
    const auto text = [&texts](const char* key) { return texts.text("Imports", key); };
    const qsizetype added = qsizetype(import.items.size());
    if (added == 0)
        return text("NoToDos").arg(ShownPath(path));
    QString summary =
        added == 1 ? text("OneItem").arg(ShownPath(path)) : text("Items").arg(added).arg(ShownPath(path));
    QStringList lost;
    const auto name = [&lost, &text](int count, const char* key) {
        if (count > 0)
            lost << QStringLiteral("%1 (%2)").arg(text(key)).arg(count);
    };
    name(import.repeatRules, "RepeatRules");
    name(import.subTasks, "SubTasks");
    name(import.attachments, "Attachments");
    name(import.alarms, "OtherAlarms");
    if (!lost.isEmpty())
        summary += QStringLiteral("; ") + text("Lost").arg(lost.join(QStringLiteral(", ")));
    if (import.unreadable > 0)
        summary += QStringLiteral("; ") +
                   text(import.unreadable == 1 ? "OneUnreadable" : "Unreadable").arg(import.unreadable);
    return summary;
}
