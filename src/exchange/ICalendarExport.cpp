#include "exchange/ICalendarExport.h"

#include "exchange/ExportTarget.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include <QCryptographicHash>
#include <QHash>
#include <QUrl>

#include <algorithm>
#include <optional>

namespace {
constexpr qsizetype kMaxOctets = 75;

QByteArray utcText(const QDateTime& moment)
{
    return moment.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")).toLatin1();
}

class Writer
{
public:
    void line(QByteArrayView name, QByteArrayView value)
    {
        QByteArray content;
        content.reserve(name.size() + 1 + value.size());
        content += name;
        content += ':';
        content += value;
        m_out += ICalendarFold(content);
    }
    void text(QByteArrayView name, QStringView value) { line(name, ICalendarEscape(value)); }
    QByteArray take() { return std::move(m_out); }

private:
    QByteArray m_out;
};

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

void writeItem(Writer& w, const ToDoItem& item, int occurrence, const QByteArray& stamp)
{
    w.line("BEGIN", "VTODO");
    w.line("UID", uidOf(item, occurrence));
    w.line("DTSTAMP", stamp);
    if (const std::optional<QDate> day = item.dateInDate()) {
        // A Date In that also names a time keeps it.
        QDateTime created(*day, QTime(0, 0));
        if (const auto full = Regional::textToDateTime(item.value(ToDoItem::DateIn));
            full && full->date() == *day)
            created = *full;
        w.line("CREATED", utcText(created));
    }
    w.text("SUMMARY", item.actionText());
    if (const QString remarks = item.valueText(ToDoItem::Remarks); !remarks.isEmpty())
        w.text("DESCRIPTION", remarks);
    const std::optional<QDate> target = item.targetDate();
    if (target)
        w.line("DUE;VALUE=DATE", target->toString(QStringLiteral("yyyyMMdd")).toLatin1());
    if (const auto priority = priorityOf(item))
        w.line("PRIORITY", QByteArray::number(*priority));
    if (const QString project = item.valueText(ToDoItem::ProjectName); !project.isEmpty())
        w.text("CATEGORIES", project);
    if (const QString owner = item.valueText(ToDoItem::Owner); !owner.isEmpty())
        w.text("CONTACT", owner);
    if (const QString location = item.valueText(ToDoItem::FileLocation); !location.trimmed().isEmpty())
        w.line("ATTACH", QUrl::fromLocalFile(location).toEncoded());
    w.line("STATUS", item.checked() ? "COMPLETED" : "NEEDS-ACTION");
    if (const std::optional<QTime> alarm = item.alarmTime(); target && alarm) {
        w.line("BEGIN", "VALARM");
        w.line("ACTION", "DISPLAY");
        w.text("DESCRIPTION", item.actionText());
        w.line("TRIGGER;VALUE=DATE-TIME", utcText(QDateTime(*target, *alarm)));
        w.line("END", "VALARM");
    }
    w.line("END", "VTODO");
}
} // namespace

QByteArray ICalendarEscape(QStringView text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case '\\':
        case ';':
        case ',':
            out += QLatin1Char('\\');
            out += c;
            break;
        case '\r':
            // CR LF is one line break.
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            out += QLatin1String("\\n");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\t':
            out += c;
            break;
        default:
            if (c.unicode() >= 0x20 && c.unicode() != 0x7F)
                out += c;
        }
    }
    return out.toUtf8();
}

QByteArray ICalendarFold(QByteArrayView line)
{
    QByteArray out;
    out.reserve(line.size() + line.size() / 70 * 3 + 2);
    qsizetype start = 0;
    // The first line holds 75 octets, each continuation its blank and 74 more.
    qsizetype room = kMaxOctets;
    while (line.size() - start > room) {
        qsizetype end = start + room;
        // Back to the first byte of the UTF-8 character that would be cut.
        while (end > start && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80)
            --end;
        out += line.sliced(start, end - start);
        out += "\r\n ";
        start = end;
        room = kMaxOctets - 1;
    }
    out += line.sliced(start);
    out += "\r\n";
    return out;
}

QByteArray ListToICalendar(const ToDoList& list, const QDateTime& stamp)
{
    Writer w;
    w.line("BEGIN", "VCALENDAR");
    w.line("VERSION", "2.0");
    w.line("PRODID", "-//Quillmar//Quillmar " QUILLMAR_VERSION "//EN");
    w.line("CALSCALE", "GREGORIAN");
    const QByteArray stampText = utcText(stamp);
    QHash<QByteArray, int> seen;
    for (const ToDoItem& item : list.items) {
        QByteArray identity = item.value(ToDoItem::DateIn).toByteArray();
        identity += '\0';
        identity += item.action();
        writeItem(w, item, seen[identity]++, stampText);
    }
    w.line("END", "VCALENDAR");
    return w.take();
}

IoResult WriteICalendarFile(const QString& path, const ToDoList& list, const QDateTime& stamp)
{
    if (IoResult r = CheckExportTarget(path); !r)
        return r;
    return AtomicFile::save(path, ListToICalendar(list, stamp));
}
