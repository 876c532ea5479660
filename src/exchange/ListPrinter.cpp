#include "exchange/ListPrinter.h"

#include "exchange/ListingTextWriter.h"
#include "model/ItemSorter.h"
#include "model/RecordField.h"
#include "model/ToDoListModel.h"
#include "platform/BufferedWriter.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"

#include <array>
#include <cstring>
#include <vector>

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

template <size_t N> char* putLiteral(char* d, const char (&text)[N])
{
    std::memcpy(d, text, N - 1);
    return d + N - 1;
}

char* putBytes(char* d, QByteArrayView bytes)
{
    if (!bytes.isEmpty())
        std::memcpy(d, bytes.data(), size_t(bytes.size()));
    return d + bytes.size();
}

// "yyyy-MM-dd" and "hh:mm:ss".
char* putIsoDate(char* d, const QDate& date)
{
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
    return d + sizeof text;
}

char* putIsoTime(char* d, const QTime& time)
{
    const int h = time.hour(), m = time.minute(), s = time.second();
    const char text[8] = {char('0' + h / 10), char('0' + h % 10), ':',
                          char('0' + m / 10), char('0' + m % 10), ':',
                          char('0' + s / 10), char('0' + s % 10)};
    std::memcpy(d, text, sizeof text);
    return d + sizeof text;
}

// The listing in form F: each row is put together in the writer's buffer in one piece.
template <Format F, bool Utf8> class Listing
{
public:
    using Text = ListingTextWriter<F, Utf8>;

    explicit Listing(BufferedWriter& out) : m_out(out)
    {
        for (int s = 0; s < 5; ++s)
            m_statusNames[size_t(s)] = ItemStatusName(static_cast<ItemStatus>(s)).toUtf8();
    }

    void begin()
    {
        if constexpr (F == Format::Csv) {
            m_out.append("Status,Completed");
            for (int c = 0; c < ToDoListModel::ColumnCount; ++c) {
                m_out.append(',');
                m_out.append(ToDoListModel::columnCaption(c).toLatin1());
            }
            m_out.append("\r\n");
        } else if constexpr (F == Format::Json) {
            m_out.append("[\n");
        }
    }

    void item(const ToDoItem& item, ItemStatus status)
    {
        readTexts(item);
        // Room for the whole row: its texts at their largest, and the names, separators and ISO dates
        // around them.
        char* d = m_out.room(Text::bound(m_textBytes) + 64 * qsizetype(m_values.size() + 4));
        const QByteArrayView name = m_statusNames[size_t(status)];
        if constexpr (F == Format::Tsv)
            d = tsvRow(d, item, name);
        else if constexpr (F == Format::Csv)
            d = csvRow(d, item, name);
        else
            d = jsonRow(d, item, name);
        m_out.commit(d);
    }

    void end(const ToDoList& list)
    {
        if constexpr (F == Format::Json) {
            m_out.append(m_first ? "]\n" : "\n]\n");
        } else if constexpr (F == Format::Tsv) {
            const auto names = [this](const QByteArrayList& names, const char* kind) {
                for (const QByteArray& name : names) {
                    char* d = m_out.room(Text::bound(name.size()) + 16);
                    d = putBytes(d, kind);
                    d = m_text.write(d, name);
                    *d++ = '\n';
                    m_out.commit(d);
                }
            };
            names(list.OwnerNames, "owner\t");
            names(list.ProjectNames, "project\t");
        }
    }

private:
    // The Action and the column values, read once and in order straight from the row's record (its texts
    // stand one after the other, each after its length).
    void readTexts(const ToDoItem& item)
    {
        const char* p = item.record().constData();
        const auto take = [&p] {
            const qint32 length = RecordField::readInt(p);
            const QByteArrayView text(p + 4, length);
            p += 4 + length;
            return text;
        };
        m_action = take();
        m_textBytes = m_action.size();
        const qint32 count = RecordField::readInt(p) + 1;
        p += 4;
        m_values.clear();
        for (qint32 k = 0; k < count; ++k) {
            m_values.push_back(take());
            m_textBytes += m_values.back().size();
        }
    }
    // Column value k; empty when the row lacks it.
    QByteArrayView value(int k) const
    {
        return size_t(k) < m_values.size() ? m_values[size_t(k)] : QByteArrayView();
    }

    char* tsvRow(char* d, const ToDoItem& item, QByteArrayView status)
    {
        d = putLiteral(d, "item\t");
        d = putBytes(d, status);
        d = item.checked() ? putLiteral(d, "\t1\t") : putLiteral(d, "\t0\t");
        d = m_text.write(d, m_action);
        for (QByteArrayView text : m_values) {
            *d++ = '\t';
            d = m_text.write(d, text);
        }
        *d++ = '\n';
        return d;
    }

    char* csvField(char* d, QByteArrayView text)
    {
        if (!Text::needsQuotes(text))
            return m_text.write(d, text);
        *d++ = '"';
        d = m_text.write(d, text);
        *d++ = '"';
        return d;
    }

    char* csvRow(char* d, const ToDoItem& item, QByteArrayView status)
    {
        d = putBytes(d, status);
        d = item.checked() ? putLiteral(d, ",1,") : putLiteral(d, ",0,");
        d = csvField(d, m_action);
        const int count = std::max(int(m_values.size()), int(ToDoItem::ColumnCount));
        for (int k = 0; k < count; ++k) {
            *d++ = ',';
            d = csvField(d, value(k));
        }
        return putLiteral(d, "\r\n");
    }

    template <size_t N> char* jsonText(char* d, const char (&key)[N], QByteArrayView text)
    {
        d = putLiteral(d, key);
        *d++ = '"';
        d = m_text.write(d, text);
        *d++ = '"';
        return d;
    }

    char* jsonRow(char* d, const ToDoItem& item, QByteArrayView status)
    {
        d = m_first ? putLiteral(d, "{\"status\":\"") : putLiteral(d, ",\n{\"status\":\"");
        m_first = false;
        d = putBytes(d, status);
        d = item.checked() ? putLiteral(d, "\",\"completed\":true") : putLiteral(d, "\",\"completed\":false");
        d = jsonText(d, ",\"action\":", m_action);
        d = jsonText(d, ",\"priority\":", value(ToDoItem::Priority));
        d = jsonText(d, ",\"dateIn\":", value(ToDoItem::DateIn));
        if (const auto date = item.dateInDate()) {
            d = putIsoDate(putLiteral(d, ",\"dateInISO\":\""), *date);
            *d++ = '"';
        }
        d = jsonText(d, ",\"target\":", value(ToDoItem::Target));
        if (const auto date = item.targetDate()) {
            d = putIsoDate(putLiteral(d, ",\"targetISO\":\""), *date);
            *d++ = '"';
        }
        d = jsonText(d, ",\"remarks\":", value(ToDoItem::Remarks));
        d = jsonText(d, ",\"owner\":", value(ToDoItem::Owner));
        d = jsonText(d, ",\"projectName\":", value(ToDoItem::ProjectName));
        d = jsonText(d, ",\"alarmTime\":", value(ToDoItem::AlarmTime));
        if (const auto time = item.alarmTime()) {
            d = putIsoTime(putLiteral(d, ",\"alarmTimeISO\":\""), *time);
            *d++ = '"';
        }
        d = jsonText(d, ",\"fileLocation\":", value(ToDoItem::FileLocation));
        // Values past the eight columns (rows of other programs' files) are kept, in their order.
        const int count = int(m_values.size());
        if (count > ToDoItem::ColumnCount) {
            d = putLiteral(d, ",\"moreValues\":[");
            for (int k = ToDoItem::ColumnCount; k < count; ++k) {
                if (k > ToDoItem::ColumnCount)
                    *d++ = ',';
                *d++ = '"';
                d = m_text.write(d, value(k));
                *d++ = '"';
            }
            *d++ = ']';
        }
        *d++ = '}';
        return d;
    }

    BufferedWriter& m_out;
    Text m_text;
    std::array<QByteArray, 5> m_statusNames;
    QByteArrayView m_action;
    std::vector<QByteArrayView> m_values;
    qsizetype m_textBytes = 0;
    bool m_first = true;
};

template <Format F, bool Utf8>
void writeListing(const ToDoList& list, const ListPrinter::Options& options, const QDate& today,
                  BufferedWriter& out)
{
    Listing<F, Utf8> listing(out);
    listing.begin();
    const auto one = [&](const ToDoItem& item) {
        const ItemStatus status = ItemStatusOf(item, today);
        if (options.statuses & ListPrinter::statusBit(status))
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

template <Format F>
void writeListing(const ToDoList& list, const ListPrinter::Options& options, const QDate& today,
                  BufferedWriter& out)
{
    if (CodePage::current() == CodePage::Kind::Utf8)
        writeListing<F, true>(list, options, today, out);
    else
        writeListing<F, false>(list, options, today, out);
}
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
    switch (options.format) {
    case Format::Tsv:
        writeListing<Format::Tsv>(list, options, today, out);
        break;
    case Format::Csv:
        writeListing<Format::Csv>(list, options, today, out);
        break;
    case Format::Json:
        writeListing<Format::Json>(list, options, today, out);
        break;
    }
}
