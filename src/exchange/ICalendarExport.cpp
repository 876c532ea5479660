#include "exchange/ICalendarExport.h"

#include "config/IoMessage.h"
#include "config/LanguageTexts.h"

#include "exchange/ExportTarget.h"
#include "exchange/ICalendarValues.h"
#include "platform/AtomicFile.h"
#include "platform/BufferedWriter.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/JobProgress.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTimeZone>
#include <QUrl>

#include <QtEndian>

#include <nettle/sha1.h>

#include <algorithm>
#include <array>
#include <charconv>
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

struct TextHash
{
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};

// The fields of an item's record, found in one walk over it.
struct Fields
{
    QByteArrayView action;
    std::array<QByteArrayView, ToDoItem::ColumnCount> values{};

    explicit Fields(const ToDoItem& item)
    {
        const char* d = item.record().constData();
        const auto length = [](const char* p) { return qsizetype(qFromLittleEndian<qint32>(p)); };
        action = QByteArrayView(d + 4, length(d));
        qsizetype pos = 4 + action.size();
        const qsizetype count = std::min<qsizetype>(length(d + pos) + 1, ToDoItem::ColumnCount);
        pos += 4;
        for (qsizetype k = 0; k < count; ++k) {
            values[size_t(k)] = QByteArrayView(d + pos + 4, length(d + pos));
            pos += 4 + values[size_t(k)].size();
        }
    }
    QByteArrayView value(int k) const { return values[size_t(k)]; }
};

// The UID of an item: its Date In, Action and occurrence (which tells apart items whose Action and Date In
// are the same) hashed.
class UidMaker
{
public:
    // 32 hexadecimal digits and "@quillmar".
    struct Uid
    {
        std::array<char, 41> text;
        QByteArrayView view() const { return {text.data(), qsizetype(text.size())}; }
    };

    Uid uidOf(const Fields& item)
    {
        const QByteArrayView dateIn = item.value(ToDoItem::DateIn);
        m_identity.assign(dateIn.data(), size_t(dateIn.size()));
        m_identity += '\0';
        m_identity.append(item.action.data(), size_t(item.action.size()));
        auto seen = m_seen.find(std::string_view(m_identity));
        if (seen == m_seen.end())
            seen = m_seen.emplace(m_identity, 0).first;
        const int occurrence = seen->second++;
        char number[16];
        const char* numberEnd = std::to_chars(number, number + sizeof number, occurrence).ptr;
        m_identity += '\0';
        m_identity.append(number, size_t(numberEnd - number));
        sha1_ctx hash;
        sha1_init(&hash);
        sha1_update(&hash, m_identity.size(), reinterpret_cast<const uint8_t*>(m_identity.data()));
        uint8_t sum[SHA1_DIGEST_SIZE];
        sha1_digest(&hash, sizeof sum, sum);
        static constexpr char kHex[] = "0123456789abcdef";
        Uid uid;
        char* d = uid.text.data();
        for (int i = 0; i < 16; ++i) {
            *d++ = kHex[(static_cast<unsigned char>(sum[i]) >> 4) & 15];
            *d++ = kHex[static_cast<unsigned char>(sum[i]) & 15];
        }
        std::memcpy(d, "@quillmar", 9);
        return uid;
    }

private:
    std::string m_identity;
    std::unordered_map<std::string, int, TextHash, std::equal_to<>> m_seen;
};

std::optional<int> priorityOf(const Fields& item)
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
    const QString trimmed = CodePage::decode(stored).trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
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

// The dates of a list repeat (one Date In for a day's items, a few Targets): each text is read, and each
// local time put into UTC by the time zone read at the start, once per run.
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
        // Items next to each other mostly share their dates.
        const std::string_view key(text.data(), size_t(text.size()));
        for (const auto& last : m_last) {
            if (last && last->first == key)
                return last->second;
        }
        auto hit = m_texts.find(key);
        if (hit == m_texts.end()) {
            if (m_texts.size() > kMaxEntries) {
                m_texts.clear();
                m_last = {};
            }
            hit = m_texts.emplace(std::string(key), read(text)).first;
        }
        m_last[m_next] = &*hit;
        m_next = (m_next + 1) % m_last.size();
        return hit->second;
    }

    Moment read(QByteArrayView text)
    {
        Moment m;
        if (const auto moment = ICalendarItemMoment(text)) {
            m.valid = true;
            m.date = moment->date();
            m.dateOnly = moment->time() == QTime(0, 0);
            m.utc = utcOf(moment->date(), moment->time());
            m.day = m.date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
        }
        return m;
    }

    // A local time is made only for a time not seen yet: making one asks the time zone.
    const QByteArray& utcOf(const QDate& day, const QTime& time)
    {
        const qint64 key = day.toJulianDay() * 86400 + time.msecsSinceStartOfDay() / 1000;
        if (auto hit = m_utc.find(key); hit != m_utc.end())
            return hit->second;
        if (m_utc.size() > kMaxEntries)
            m_utc.clear();
        const QDateTime local = m_zone.isValid() ? QDateTime(day, time, m_zone) : QDateTime(day, time);
        return m_utc.emplace(key, utcText(local.toSecsSinceEpoch())).first->second;
    }

private:
    static constexpr size_t kMaxEntries = 1 << 16;
    // The time zone of the run, read once.
    const QTimeZone m_zone = QTimeZone::systemTimeZone();
    using Texts = std::unordered_map<std::string, Moment, TextHash, std::equal_to<>>;
    Texts m_texts;
    // The entries looked up last (an unordered_map's entries stay where they are).
    std::array<const Texts::value_type*, 4> m_last{};
    size_t m_next = 0;
    std::unordered_map<qint64, QByteArray> m_utc;
};

// Writes value escaped at d (room for twice its size) and returns the end.
char* escapeInto(char* d, QByteArrayView value, bool listValue)
{
    for (const char c : value) {
        const char escaped = c == '\\'              ? '\\'
                             : c == '\n'            ? 'n'
                             : listValue            ? 0
                             : c == ';' || c == ',' ? c
                                                    : 0;
        if (escaped) {
            *d++ = '\\';
            *d++ = escaped;
        } else {
            *d++ = c;
        }
    }
    return d;
}

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

    // Writes the next item in list order; returns its UID.
    UidMaker::Uid toDo(const ToDoItem& row)
    {
        const Fields item(row);
        const UidMaker::Uid uid = m_uids.uidOf(item);
        m_out.append("BEGIN:VTODO\r\nUID:");
        m_out.append(uid.view());
        m_out.append("\r\nDTSTAMP:");
        m_out.append(m_stamp);
        m_out.append("\r\n");
        if (const Moments::Moment& in = m_moments.of(item.value(ToDoItem::DateIn)); in.valid)
            plain("CREATED:", in.utc);
        const QByteArrayView summary = text(item.action, m_summary);
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
        if (const auto priority = priorityOf(item)) {
            const char digit = char('0' + *priority);
            plain("PRIORITY:", QByteArrayView(&digit, 1));
        }
        text(ToDoItem::ProjectName, "CATEGORIES:", item, true);
        text(ToDoItem::Owner, "CONTACT:", item);
        attachment(item.value(ToDoItem::FileLocation));
        m_out.append(row.checked() ? QByteArrayView("STATUS:COMPLETED\r\n")
                                   : QByteArrayView("STATUS:NEEDS-ACTION\r\n"));
        if (const std::optional<QTime> alarm = target.valid ? row.alarmTime() : std::nullopt) {
            m_out.append("BEGIN:VALARM\r\nACTION:DISPLAY\r\n");
            // A display alarm must say something.
            if (summary.isEmpty())
                m_out.append("DESCRIPTION:To-do\r\n");
            else
                line("DESCRIPTION:", summary);
            plain("TRIGGER;VALUE=DATE-TIME:", m_moments.utcOf(target.date, *alarm));
            m_out.append("END:VALARM\r\n");
        }
        m_out.append("END:VTODO\r\n");
        return uid;
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

    void text(int column, QByteArrayView name, const Fields& item, bool listValue = false)
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

    // A file: URI for an absolute path, a URL as it is; a relative path has no meaning elsewhere.
    void attachment(QByteArrayView stored)
    {
        const QByteArrayView path = stored.trimmed();
        // Most are plain absolute paths: the URI is the path behind "file://".
        if (!path.isEmpty() && path.front() == '/' && urlSafe(path)) {
            folded("ATTACH:file://", path);
        } else if (const auto url = attachmentOf(stored)) {
            folded("ATTACH:", *url);
        }
    }

    // A property whose value is written as it is, folded.
    void folded(QByteArrayView name, QByteArrayView value)
    {
        char* line = lineRoom(name, value.size());
        std::memcpy(line + name.size(), value.data(), size_t(value.size()));
        m_out.commit(foldInto(m_out.room(foldedBound(name.size() + value.size())),
                              QByteArrayView(line, name.size() + value.size())));
    }

    void line(QByteArrayView name, QByteArrayView value, bool listValue = false)
    {
        char* line = lineRoom(name, 2 * value.size());
        const char* end = escapeInto(line + name.size(), value, listValue);
        m_out.commit(foldInto(m_out.room(foldedBound(end - line)), QByteArrayView(line, end - line)));
    }

    // The line being put together, name in place, with room for valueRoom more bytes.
    char* lineRoom(QByteArrayView name, qsizetype valueRoom)
    {
        const size_t need = size_t(name.size() + valueRoom);
        if (m_line.size() < need)
            m_line.resize(std::max(need, m_line.size() * 2));
        std::memcpy(m_line.data(), name.data(), size_t(name.size()));
        return m_line.data();
    }

    BufferedWriter& m_out;
    Moments m_moments;
    QByteArray m_stamp;
    UidMaker m_uids;
    std::vector<char> m_line;
    QByteArray m_summary;
    QByteArray m_converted;
};

} // namespace

void ICalendarEscape(QByteArray& out, QByteArrayView value, bool listValue)
{
    const qsizetype at = out.size();
    out.resize(at + 2 * value.size());
    out.truncate(escapeInto(out.data() + at, value, listValue) - out.constData());
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
        writer.toDo(item);
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
        writer.beginCalendar();
        const UidMaker::Uid uid = writer.toDo(item);
        writer.endCalendar();
        out.finish();
        files.push_back({uid.view().toByteArray(), std::exchange(text, QByteArray())});
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
        return ExportCancelled(path);
    }
    // A failed write is reported by commit(), with the file's name and the system's reason.
    return file.commit();
}

namespace {
// What a folder export that failed part-way left: the files it added are removed again (and the folder,
// when it made it); files it had already replaced cannot be given back, and the message counts them.
IoResult undoFolderExport(const IoResult& failure, const QString& folder, bool madeFolder,
                          const QStringList& added, int replaced)
{
    for (const QString& path : added)
        RemoveFile(path);
    if (madeFolder)
        QDir().rmdir(folder);
    const LanguageTexts& texts = LanguageTexts::shared();
    const QString shown = ShownPath(folder);
    QString left;
    if (replaced == 0)
        left = texts.text("Exchange", madeFolder ? "FolderNotMade" : "FolderUnchanged").arg(shown);
    else if (replaced == 1)
        left = texts.text("Exchange", "FolderReplacedOne").arg(shown);
    else
        left = texts.text("Exchange", "FolderReplaced").arg(replaced).arg(shown);
    return IoResult::failure(IoMessage(failure) + QStringLiteral("; ") + left, failure.kind, failure.reason);
}
} // namespace

IoResult WriteICalendarFolder(const QString& folder, const ToDoList& list, const QDateTime& stamp,
                              int* written)
{
    if (written)
        *written = 0;
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return IoResult::failure(
            LanguageTexts::shared().text("Exchange", "NotAFolder").arg(ShownPath(folder)), IoError::BadData);
    // One level, as the other exports write only into a folder that is there: a missing parent is a
    // mistyped path more often than a tree to make.
    const bool madeFolder = !info.exists();
    if (madeFolder) {
        if (IoResult r = CreateFolder(folder); !r)
            return r;
    }
    const QDir dir(folder);
    const std::vector<ICalendarToDoFile> files = ListToICalendarFiles(list, stamp);
    // All or none as far as checking goes: no file is written when any of them may not be.
    for (const ICalendarToDoFile& file : files) {
        if (IoResult r =
                CheckExportTarget(dir.filePath(QString::fromLatin1(file.uid) + QLatin1String(".ics")));
            !r) {
            if (madeFolder)
                QDir().rmdir(folder);
            return r;
        }
    }
    // The names are the program's, not the user's: a link standing in the place of one is replaced, and
    // whatever it points to (another folder's settings, say) is left alone.
    QStringList added;
    int replaced = 0;
    for (const ICalendarToDoFile& file : files) {
        const QString path = dir.filePath(QString::fromLatin1(file.uid) + QLatin1String(".ics"));
        const bool existed = QFileInfo(path).exists() || QFileInfo(path).isSymLink();
        if (IoResult r = AtomicFile::save(path, file.text, AtomicFile::Ownership::ProgramFile); !r) {
            if (written)
                *written = replaced;
            return undoFolderExport(r, folder, madeFolder, added, replaced);
        }
        if (existed)
            ++replaced;
        else
            added << path;
        if (written)
            ++*written;
    }
    return IoResult::success();
}
