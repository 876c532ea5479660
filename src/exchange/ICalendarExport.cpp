#include "exchange/ICalendarExport.h"

#include "exchange/ExportTarget.h"
#include "exchange/ICalendarValues.h"
#include "platform/AtomicFile.h"
#include "platform/BufferedWriter.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/JobProgress.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {
constexpr qsizetype kFoldAt = 75;

// The most bytes a line of n octets takes folded: a CR LF and a blank for every 74 octets, and its CR LF.
qsizetype foldedBound(qsizetype n)
{
    return n + 3 * (n / (kFoldAt - 1) + 1) + 2;
}

char* foldInto(char* d, QByteArrayView line)
{
    const char* p = line.data();
    const char* const end = p + line.size();
    qsizetype room = kFoldAt;
    for (;;) {
        qsizetype n = std::min<qsizetype>(room, end - p);
        if (p + n < end) {
            // A continuation byte goes to the next line with the rest of its character.
            qsizetype whole = n;
            while (whole > 0 && (static_cast<unsigned char>(p[whole]) & 0xC0) == 0x80)
                --whole;
            if (whole > 0)
                n = whole;
        }
        std::memcpy(d, p, size_t(n));
        d += n;
        p += n;
        if (p == end)
            break;
        *d++ = '\r';
        *d++ = '\n';
        *d++ = ' ';
        room = kFoldAt - 1;
    }
    *d++ = '\r';
    *d++ = '\n';
    return d;
}

// Printable ASCII and tabs are their own TEXT value in every code page.
bool plainText(QByteArrayView bytes)
{
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && u != '\t') || u >= 0x7F)
            return false;
    }
    return true;
}

bool blank(QByteArrayView value)
{
    return std::all_of(value.cbegin(), value.cend(), [](char c) { return c == ' ' || c == '\t'; });
}

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
    const int p = item.value(ToDoItem::Priority).trimmed().toInt(&ok);
    if (!ok || p <= 0)
        return std::nullopt;
    return std::clamp(10 - p, 1, 9);
}

// Needs no percent sign in a URL's path.
bool urlSafe(QByteArrayView path)
{
    for (const char c : path) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '/' || c == '.' || c == '-' || c == '_' || c == '~';
        if (!safe)
            return false;
    }
    return true;
}

// A file: URI for an absolute path, a URL as it is; a relative path has no meaning elsewhere. A scheme of
// one letter is a drive ("C:\..."), not a URL.
std::optional<QByteArray> attachmentOf(QByteArrayView stored)
{
    const QByteArrayView bytes = stored.trimmed();
    if (bytes.isEmpty())
        return std::nullopt;
    // Most are plain absolute paths: the URI is the path behind "file://".
    if (bytes.front() == '/' && urlSafe(bytes))
        return QByteArray("file://").append(bytes);
    const QString trimmed = CodePage::decode(stored).trimmed();
    if (QDir::isAbsolutePath(trimmed))
        return QUrl::fromLocalFile(trimmed).toEncoded();
    const QUrl url(trimmed, QUrl::TolerantMode);
    if (url.isValid() && url.scheme().size() > 1 && !url.isRelative())
        return url.toEncoded();
    return std::nullopt;
}

QByteArray utcText(qint64 secsSinceEpoch)
{
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(secsSinceEpoch, Qt::UTC);
    const QDate d = utc.date();
    const QTime t = utc.time();
    char text[24];
    const int n = std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02dZ", d.year(), d.month(), d.day(),
                                t.hour(), t.minute(), t.second());
    return QByteArray(text, n);
}

struct TextHash
{
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};

// The dates of a list repeat (one Date In for a day's items, a few Targets): each text is read, and each
// local time put into UTC, once per run.
class Moments
{
public:
    struct Moment
    {
        bool valid = false;
        bool dateOnly = false; // midnight: a Target that names a day
        QDate date;
        QByteArray utc; // "yyyyMMddTHHmmssZ"
        QByteArray day; // "yyyyMMdd"
    };

    const Moment& of(QByteArrayView text)
    {
        const std::string_view key(text.data(), size_t(text.size()));
        if (auto hit = m_texts.find(key); hit != m_texts.end())
            return hit->second;
        if (m_texts.size() > kMaxEntries)
            m_texts.clear();
        Moment m;
        if (const auto moment = ICalendarItemMoment(text)) {
            m.valid = true;
            m.date = moment->date();
            m.dateOnly = moment->time() == QTime(0, 0);
            m.utc = utcOf(*moment);
            m.day = m.date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
        }
        return m_texts.emplace(std::string(key), std::move(m)).first->second;
    }

    const QByteArray& utcOf(const QDateTime& local)
    {
        const qint64 key = local.date().toJulianDay() * 86400 + local.time().msecsSinceStartOfDay() / 1000;
        if (auto hit = m_utc.find(key); hit != m_utc.end())
            return hit->second;
        if (m_utc.size() > kMaxEntries)
            m_utc.clear();
        return m_utc.emplace(key, utcText(local.toSecsSinceEpoch())).first->second;
    }

private:
    static constexpr size_t kMaxEntries = 1 << 16;
    std::unordered_map<std::string, Moment, TextHash, std::equal_to<>> m_texts;
    std::unordered_map<qint64, QByteArray> m_utc;
};

// Writes to-dos as content lines into a buffered writer.
class ToDoWriter
{
public:
    ToDoWriter(BufferedWriter& out, const QDateTime& stamp) : m_out(out)
    {
        m_stamp = utcText(stamp.toSecsSinceEpoch());
    }

    void beginCalendar()
    {
        m_out.append("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
                     "PRODID:-//Quillmar//Quillmar " QUILLMAR_VERSION "//EN\r\n"
                     "CALSCALE:GREGORIAN\r\n");
    }
    void endCalendar() { m_out.append("END:VCALENDAR\r\n"); }

    // The UID of the next item in list order.
    QByteArray uidOf(const ToDoItem& item)
    {
        QByteArray identity = item.value(ToDoItem::DateIn).toByteArray();
        identity += '\0';
        identity += item.action();
        return ::uidOf(item, m_seen[identity]++);
    }

    void toDo(const ToDoItem& item, const QByteArray& uid)
    {
        m_out.append("BEGIN:VTODO\r\nUID:");
        m_out.append(uid);
        m_out.append("\r\nDTSTAMP:");
        m_out.append(m_stamp);
        m_out.append("\r\n");
        if (const Moments::Moment& in = m_moments.of(item.value(ToDoItem::DateIn)); in.valid)
            plain("CREATED:", in.utc);
        const QByteArrayView summary = text(item.action(), m_summary);
        if (!summary.isEmpty())
            line("SUMMARY:", summary);
        text(ToDoItem::Remarks, "DESCRIPTION:", item);
        // Copied: a later lookup may drop what the cache holds.
        const Moments::Moment target = m_moments.of(item.value(ToDoItem::Target));
        if (target.valid) {
            // A Target without a time of day is a day, as calendars show all-day to-dos.
            if (target.dateOnly)
                plain("DUE;VALUE=DATE:", target.day);
            else
                plain("DUE:", target.utc);
        }
        if (const auto priority = priorityOf(item))
            plain("PRIORITY:", QByteArray::number(*priority));
        text(ToDoItem::ProjectName, "CATEGORIES:", item, true);
        text(ToDoItem::Owner, "CONTACT:", item);
        if (const auto url = attachmentOf(item.value(ToDoItem::FileLocation)))
            plain("ATTACH:", *url);
        m_out.append(item.checked() ? QByteArrayView("STATUS:COMPLETED\r\n")
                                    : QByteArrayView("STATUS:NEEDS-ACTION\r\n"));
        if (const std::optional<QTime> alarm = item.alarmTime(); target.valid && alarm) {
            m_out.append("BEGIN:VALARM\r\nACTION:DISPLAY\r\n");
            // A display alarm must say something.
            if (summary.isEmpty())
                m_out.append("DESCRIPTION:To-do\r\n");
            else
                line("DESCRIPTION:", summary);
            plain("TRIGGER;VALUE=DATE-TIME:", m_moments.utcOf(QDateTime(target.date, *alarm)));
            m_out.append("END:VALARM\r\n");
        }
        m_out.append("END:VTODO\r\n");
    }

private:
    // The TEXT value of stored bytes, in UTF-8 and without what a TEXT may not hold; empty for blanks.
    static QByteArrayView text(QByteArrayView stored, QByteArray& converted)
    {
        QByteArrayView value = stored;
        if (!plainText(stored)) {
            converted = ICalendarText(CodePage::decode(stored));
            value = converted;
        }
        return blank(value) ? QByteArrayView() : value;
    }

    void text(int column, QByteArrayView name, const ToDoItem& item, bool listValue = false)
    {
        const QByteArrayView value = text(item.value(column), m_converted);
        if (!value.isEmpty())
            line(name, value, listValue);
    }

    // A property whose value needs no escapes and no folding.
    void plain(QByteArrayView name, QByteArrayView value)
    {
        m_out.append(name);
        m_out.append(value);
        m_out.append("\r\n");
    }

    void line(QByteArrayView name, QByteArrayView value, bool listValue = false)
    {
        m_line.clear();
        m_line += name;
        ICalendarEscape(m_line, value, listValue);
        m_out.commit(foldInto(m_out.room(foldedBound(m_line.size())), m_line));
    }

    BufferedWriter& m_out;
    Moments m_moments;
    QByteArray m_stamp;
    QHash<QByteArray, int> m_seen;
    QByteArray m_line;
    QByteArray m_summary;
    QByteArray m_converted;
};

IoResult cancelled(const QString& path)
{
    return IoResult::failure(
        QStringLiteral("The export to %1 was cancelled; nothing was written").arg(ShownPath(path)),
        IoError::Cancelled);
}
} // namespace

void ICalendarEscape(QByteArray& out, QByteArrayView value, bool listValue)
{
    qsizetype from = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const char* escaped = c == '\\'   ? "\\\\"
                              : c == '\n' ? "\\n"
                              : listValue ? nullptr
                              : c == ';'  ? "\\;"
                              : c == ','  ? "\\,"
                                          : nullptr;
        if (!escaped)
            continue;
        out.append(value.data() + from, i - from);
        out.append(escaped, 2);
        from = i + 1;
    }
    out.append(value.data() + from, value.size() - from);
}

QByteArray ICalendarFold(QByteArrayView line)
{
    QByteArray out(foldedBound(line.size()), Qt::Uninitialized);
    out.truncate(foldInto(out.data(), line) - out.constData());
    return out;
}

IoResult WriteICalendar(BufferedWriter& out, const ToDoList& list, const QDateTime& stamp,
                        JobProgress* progress)
{
    ToDoWriter writer(out, stamp);
    writer.beginCalendar();
    qint64 done = 0;
    for (const ToDoItem& item : list.items) {
        if ((done & 1023) == 0) {
            if (JobProgress::stopped(progress))
                return IoResult::failure(QString(), IoError::Cancelled);
            JobProgress::step(progress, done);
        }
        writer.toDo(item, writer.uidOf(item));
        ++done;
    }
    writer.endCalendar();
    JobProgress::step(progress, done);
    return out.finish();
}

QByteArray ListToICalendar(const ToDoList& list, const QDateTime& stamp)
{
    QByteArray text;
    {
        BufferedWriter out(&text);
        WriteICalendar(out, list, stamp);
    }
    return text;
}

std::vector<ICalendarToDoFile> ListToICalendarFiles(const ToDoList& list, const QDateTime& stamp)
{
    std::vector<ICalendarToDoFile> files;
    files.reserve(list.items.size());
    QByteArray text;
    BufferedWriter out(&text);
    ToDoWriter writer(out, stamp);
    for (const ToDoItem& item : list.items) {
        const QByteArray uid = writer.uidOf(item);
        writer.beginCalendar();
        writer.toDo(item, uid);
        writer.endCalendar();
        out.finish();
        files.push_back({uid, std::exchange(text, QByteArray())});
    }
    return files;
}

IoResult WriteICalendarFile(const QString& path, const ToDoList& list, const QDateTime& stamp,
                            JobProgress* progress)
{
    if (IoResult r = CheckExportTarget(path); !r)
        return r;
    AtomicFile file(path);
    if (IoResult r = file.open(); !r)
        return r;
    BufferedWriter out([&file](QByteArrayView piece) { return file.write(piece); }, ShownPath(path));
    const IoResult written = WriteICalendar(out, list, stamp, progress);
    if (written.kind == IoError::Cancelled) {
        file.cancel();
        return cancelled(path);
    }
    // A failed write is reported by commit(), with the file's name and the system's reason.
    return file.commit();
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
