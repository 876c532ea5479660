#include "exchange/ListPrinter.h"

#include "model/ItemSorter.h"
#include "model/ToDoListModel.h"
#include "platform/BufferedWriter.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"

#include <array>
#include <cstring>

namespace {
using Format = ListPrinter::Format;

constexpr const char* kColumnNames[ToDoListModel::ColumnCount] = {
    "actions", "priority",     "date-in",    "target",       "remarks",
    "owner",   "project-name", "alarm-time", "file-location"};

// A name as the command line may spell it: in any case, blanks, hyphens and underscores left out.
QString folded(QStringView name)
{
    QString out;
    for (QChar c : name) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('-') && c != QLatin1Char('_'))
            out += c.toLower();
    }
    return out;
}

// The UTF-8 form of each Windows-1252 byte from 0x80 on, as the code page decodes it (at most three bytes).
struct HighBytes
{
    std::array<std::array<char, 3>, 128> bytes{};
    std::array<quint8, 128> length{};
};

const HighBytes& highBytes1252()
{
    static const HighBytes table = [] {
        HighBytes t;
        for (int b = 0x80; b < 0x100; ++b) {
            const char c = static_cast<char>(b);
            const QByteArray utf8 = CodePage::decodeWindows1252(QByteArrayView(&c, 1)).toUtf8();
            std::memcpy(t.bytes[size_t(b - 0x80)].data(), utf8.constData(), size_t(utf8.size()));
            t.length[size_t(b - 0x80)] = static_cast<quint8>(utf8.size());
        }
        return t;
    }();
    return table;
}

// Writes texts of the code page as UTF-8, with the escapes of one of the three forms. Runs of bytes that
// need nothing are copied eight at a time; only the bytes that need an escape or a conversion are looked
// at one by one.
class TextWriter
{
public:
    TextWriter(BufferedWriter& out, Format format)
        : m_out(out), m_format(format), m_utf8(CodePage::current() == CodePage::Kind::Utf8),
          m_high(highBytes1252())
    {
        for (int c = 0; c < 256; ++c)
            m_special[size_t(c)] = isSpecial(c);
    }

    void put(QByteArrayView text)
    {
        if (m_utf8 && hasHighByte(text) && CodePage::firstInvalidUtf8(text) >= 0) {
            // Bytes that are no UTF-8 are shown as the code page decodes them (replacement characters).
            const QByteArray shown = CodePage::decode(text).toUtf8();
            putBytes(shown);
            return;
        }
        putBytes(text);
    }

    // A CSV field needs quotes when it holds a comma, a quote or a line break.
    static bool needsQuotes(QByteArrayView text)
    {
        for (char c : text) {
            if (c == ',' || c == '"' || c == '\r' || c == '\n')
                return true;
        }
        return false;
    }

private:
    bool isSpecial(int c) const
    {
        if (c >= 0x80)
            return !m_utf8;
        switch (m_format) {
        case Format::Tsv:
            return c == '\\' || c == '\t' || c == '\r' || c == '\n';
        case Format::Csv:
            return c == '"';
        case Format::Json:
            return c == '"' || c == '\\' || c < 0x20;
        }
        return false;
    }

    static bool hasHighByte(QByteArrayView text)
    {
        for (char c : text) {
            if (static_cast<unsigned char>(c) >= 0x80)
                return true;
        }
        return false;
    }

    // True when the eight bytes of w may hold a byte that needs attention (never false when one does).
    bool mayNeedAttention(quint64 w) const
    {
        constexpr quint64 ones = 0x0101010101010101ull;
        constexpr quint64 highs = 0x8080808080808080ull;
        const auto hasByte = [](quint64 v, unsigned char b) {
            const quint64 x = v ^ (ones * b);
            return ((x - ones) & ~x & highs) != 0;
        };
        // Some byte below 0x20 (bytes from 0x80 on never count here).
        const bool control = ((w - ones * 0x20) & ~w & highs) != 0;
        if (!m_utf8 && (w & highs) != 0)
            return true;
        switch (m_format) {
        case Format::Tsv:
            return control || hasByte(w, '\\');
        case Format::Csv:
            return hasByte(w, '"');
        case Format::Json:
            return control || hasByte(w, '\\') || hasByte(w, '"');
        }
        return true;
    }

    void putBytes(QByteArrayView text)
    {
        const auto* p = reinterpret_cast<const unsigned char*>(text.data());
        const auto* const end = p + text.size();
        // No byte becomes more than six (a JSON \u00XX).
        char* d = m_out.room(text.size() * 6);
        while (p < end) {
            while (end - p >= 8) {
                quint64 w;
                std::memcpy(&w, p, 8);
                if (mayNeedAttention(w))
                    break;
                std::memcpy(d, p, 8);
                d += 8;
                p += 8;
            }
            for (const unsigned char* stop = std::min(p + 8, end); p < stop; ++p) {
                const unsigned char c = *p;
                if (!m_special[c])
                    *d++ = static_cast<char>(c);
                else
                    d = special(d, c);
            }
        }
        m_out.commit(d);
    }

    char* special(char* d, unsigned char c) const
    {
        if (c >= 0x80) {
            const size_t i = c - 0x80;
            std::memcpy(d, m_high.bytes[i].data(), m_high.length[i]);
            return d + m_high.length[i];
        }
        const auto two = [&d](char a, char b) {
            d[0] = a;
            d[1] = b;
            return d + 2;
        };
        switch (m_format) {
        case Format::Tsv:
            switch (c) {
            case '\\':
                return two('\\', '\\');
            case '\t':
                return two('\\', 't');
            case '\r':
                return two('\\', 'r');
            default:
                return two('\\', 'n');
            }
        case Format::Csv:
            return two('"', '"');
        case Format::Json:
            switch (c) {
            case '"':
                return two('\\', '"');
            case '\\':
                return two('\\', '\\');
            case '\t':
                return two('\\', 't');
            case '\r':
                return two('\\', 'r');
            case '\n':
                return two('\\', 'n');
            default: {
                static const char hex[] = "0123456789abcdef";
                std::memcpy(d, "\\u00", 4);
                d[4] = hex[c >> 4];
                d[5] = hex[c & 0xF];
                return d + 6;
            }
            }
        }
        return d;
    }

    BufferedWriter& m_out;
    Format m_format;
    bool m_utf8;
    const HighBytes& m_high;
    std::array<bool, 256> m_special{};
};

// "yyyy-MM-dd" or "hh:mm:ss".
void putIsoDate(BufferedWriter& out, const QDate& date)
{
    char* d = out.room(10);
    const int y = date.year(), m = date.month(), day = date.day();
    const char text[10] = {char('0' + y / 1000 % 10),
                           char('0' + y / 100 % 10),
                           char('0' + y / 10 % 10),
                           char('0' + y % 10),
                           '-',
                           char('0' + m / 10),
                           char('0' + m % 10),
                           '-',
                           char('0' + day / 10),
                           char('0' + day % 10)};
    std::memcpy(d, text, sizeof text);
    out.commit(d + sizeof text);
}

void putIsoTime(BufferedWriter& out, const QTime& time)
{
    char* d = out.room(8);
    const int h = time.hour(), m = time.minute(), s = time.second();
    const char text[8] = {char('0' + h / 10), char('0' + h % 10), ':',
                          char('0' + m / 10), char('0' + m % 10), ':',
                          char('0' + s / 10), char('0' + s % 10)};
    std::memcpy(d, text, sizeof text);
    out.commit(d + sizeof text);
}

class Listing
{
public:
    Listing(BufferedWriter& out, Format format) : m_out(out), m_format(format), m_text(out, format)
    {
        for (int s = 0; s < 5; ++s)
            m_statusNames[size_t(s)] = ItemStatusName(static_cast<ItemStatus>(s)).toUtf8();
    }

    void begin()
    {
        if (m_format == Format::Csv) {
            m_out.append("Status,Completed");
            for (int c = 0; c < ToDoListModel::ColumnCount; ++c) {
                m_out.append(',');
                m_out.append(ToDoListModel::columnCaption(c).toLatin1());
            }
            m_out.append("\r\n");
        } else if (m_format == Format::Json) {
            m_out.append("[\n");
        }
    }

    void item(const ToDoItem& item, ItemStatus status)
    {
        switch (m_format) {
        case Format::Tsv:
            tsvItem(item, status);
            break;
        case Format::Csv:
            csvItem(item, status);
            break;
        case Format::Json:
            jsonItem(item, status);
            break;
        }
    }

    void end(const ToDoList& list)
    {
        if (m_format == Format::Json) {
            m_out.append(m_first ? "]\n" : "\n]\n");
            return;
        }
        if (m_format != Format::Tsv)
            return;
        for (const QByteArray& name : list.OwnerNames) {
            m_out.append("owner\t");
            m_text.put(name);
            m_out.append('\n');
        }
        for (const QByteArray& name : list.ProjectNames) {
            m_out.append("project\t");
            m_text.put(name);
            m_out.append('\n');
        }
    }

private:
    void tsvItem(const ToDoItem& item, ItemStatus status)
    {
        m_out.append("item\t");
        m_out.append(m_statusNames[size_t(status)]);
        m_out.append(item.checked() ? "\t1\t" : "\t0\t");
        m_text.put(item.action());
        const int count = item.valueCount();
        for (int k = 0; k < count; ++k) {
            m_out.append('\t');
            m_text.put(item.value(k));
        }
        m_out.append('\n');
    }

    void csvField(QByteArrayView text)
    {
        if (!TextWriter::needsQuotes(text)) {
            m_text.put(text);
            return;
        }
        m_out.append('"');
        m_text.put(text);
        m_out.append('"');
    }

    void csvItem(const ToDoItem& item, ItemStatus status)
    {
        m_out.append(m_statusNames[size_t(status)]);
        m_out.append(item.checked() ? ",1," : ",0,");
        csvField(item.action());
        const int count = std::max(item.valueCount(), int(ToDoItem::ColumnCount));
        for (int k = 0; k < count; ++k) {
            m_out.append(',');
            csvField(item.value(k));
        }
        m_out.append("\r\n");
    }

    void jsonText(const char* key, QByteArrayView text)
    {
        m_out.append(key);
        m_out.append('"');
        m_text.put(text);
        m_out.append('"');
    }

    void jsonItem(const ToDoItem& item, ItemStatus status)
    {
        m_out.append(m_first ? "{\"status\":\"" : ",\n{\"status\":\"");
        m_first = false;
        m_out.append(m_statusNames[size_t(status)]);
        m_out.append(item.checked() ? "\",\"completed\":true" : "\",\"completed\":false");
        jsonText(",\"action\":", item.action());
        jsonText(",\"priority\":", item.value(ToDoItem::Priority));
        jsonText(",\"dateIn\":", item.value(ToDoItem::DateIn));
        if (const auto d = item.dateInDate()) {
            m_out.append(",\"dateInISO\":\"");
            putIsoDate(m_out, *d);
            m_out.append('"');
        }
        jsonText(",\"target\":", item.value(ToDoItem::Target));
        if (const auto d = item.targetDate()) {
            m_out.append(",\"targetISO\":\"");
            putIsoDate(m_out, *d);
            m_out.append('"');
        }
        jsonText(",\"remarks\":", item.value(ToDoItem::Remarks));
        jsonText(",\"owner\":", item.value(ToDoItem::Owner));
        jsonText(",\"projectName\":", item.value(ToDoItem::ProjectName));
        jsonText(",\"alarmTime\":", item.value(ToDoItem::AlarmTime));
        if (const auto t = item.alarmTime()) {
            m_out.append(",\"alarmTimeISO\":\"");
            putIsoTime(m_out, *t);
            m_out.append('"');
        }
        jsonText(",\"fileLocation\":", item.value(ToDoItem::FileLocation));
        // Values past the eight columns (rows of other programs' files) are kept, in their order.
        const int count = item.valueCount();
        if (count > ToDoItem::ColumnCount) {
            m_out.append(",\"moreValues\":[");
            for (int k = ToDoItem::ColumnCount; k < count; ++k) {
                if (k > ToDoItem::ColumnCount)
                    m_out.append(',');
                m_out.append('"');
                m_text.put(item.value(k));
                m_out.append('"');
            }
            m_out.append(']');
        }
        m_out.append('}');
    }

    BufferedWriter& m_out;
    Format m_format;
    TextWriter m_text;
    std::array<QByteArray, 5> m_statusNames;
    bool m_first = true;
};
} // namespace

std::optional<ListPrinter::Format> ListPrinter::formatByName(QStringView name)
{
    const QString n = folded(name);
    if (n == QLatin1String("tsv"))
        return Format::Tsv;
    if (n == QLatin1String("csv"))
        return Format::Csv;
    if (n == QLatin1String("json"))
        return Format::Json;
    return std::nullopt;
}

std::optional<int> ListPrinter::columnByName(QStringView name)
{
    const QString n = folded(name);
    for (int c = 0; c < ToDoListModel::ColumnCount; ++c) {
        if (n == folded(ToDoListModel::columnCaption(c)))
            return c;
    }
    static const struct
    {
        const char* name;
        int column;
    } shortNames[] = {{"action", 0}, {"project", 6}, {"alarm", 7}, {"file", 8}};
    for (const auto& s : shortNames) {
        if (n == QLatin1String(s.name))
            return s.column;
    }
    return std::nullopt;
}

std::optional<ItemStatus> ListPrinter::statusByName(QStringView name)
{
    const QString n = folded(name);
    for (int s = 0; s < 5; ++s) {
        const auto status = static_cast<ItemStatus>(s);
        if (n == ItemStatusName(status).toLower())
            return status;
    }
    return std::nullopt;
}

QStringList ListPrinter::columnNames()
{
    QStringList names;
    for (const char* n : kColumnNames)
        names << QString::fromLatin1(n);
    return names;
}

void ListPrinter::write(const ToDoList& list, const Options& options, const QDate& today, BufferedWriter& out)
{
    // Every row is judged by the same day, read once; dates read for the sort and the statuses too.
    const Clock::OperationDay day(today);
    Listing listing(out, options.format);
    listing.begin();
    const auto one = [&](const ToDoItem& item) {
        const ItemStatus status = ItemStatusOf(item, today);
        if (options.statuses & statusBit(status))
            listing.item(item, status);
    };
    if (options.sortColumn >= 0 && options.sortColumn < ToDoListModel::ColumnCount) {
        const SortKind kind = ItemSorter::kindForColumn(options.sortColumn, SortKind::Text);
        for (int row : ItemSorter::sortOrder(list.items, options.sortColumn, kind, options.reverse))
            one(list.items[size_t(row)]);
    } else {
        for (const ToDoItem& item : list.items)
            one(item);
    }
    listing.end(list);
}
