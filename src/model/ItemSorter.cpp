#include "model/ItemSorter.h"

#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include <QCollator>
#include <QCollatorSortKey>

#include <algorithm>
#include <limits>

namespace {
const QDate kDayZero(1899, 12, 30);

QByteArrayView columnValue(const ToDoItem& item, int valueIndex)
{
    return valueIndex < 0 ? item.action() : item.value(valueIndex);
}

QCollator textCollator()
{
    QCollator collator(Regional::locale());
    collator.setCaseSensitivity(Qt::CaseSensitive);
    collator.setNumericMode(false);
    return collator;
}

int sign(double d)
{
    return d < 0 ? -1 : (d > 0 ? 1 : 0);
}

// A number or date key; ok says whether the text parsed.
struct Key
{
    double value = 0;
    bool ok = false;
};

Key numberKey(QByteArrayView text)
{
    const ItemSorter::WholeNumber n = ItemSorter::parseWholeNumber(text);
    return {static_cast<double>(n.value), n.ok};
}

Key dateKey(const ToDoItem& item, int valueIndex)
{
    if (valueIndex == ToDoItem::Target) {
        // The item keeps its Target parsed; no need to read the text again.
        const std::optional<QDate> d = item.targetDate();
        return d ? Key{ItemSorter::dayCount(*d), true} : Key{};
    }
    const std::optional<double> d = ItemSorter::parseDayCount(columnValue(item, valueIndex));
    return d ? Key{*d, true} : Key{};
}
} // namespace

SortKind ItemSorter::kindForColumn(int column, SortKind previous)
{
    switch (column) {
    case 0:
    case 4:
    case 5:
    case 6:
        return SortKind::Text;
    case 1:
        return SortKind::Number;
    case 2:
    case 3:
        return SortKind::Date;
    default:
        return previous;
    }
}

ItemSorter::WholeNumber ItemSorter::parseWholeNumber(QByteArrayView text)
{
    WholeNumber result;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < n && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    const qint64 limit = std::numeric_limits<qint32>::max();
    qint64 value = 0;
    int digits = 0;
    bool overflow = false;
    for (; i < n; ++i) {
        const char c = text[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            break;
        if (value * base + d > limit + 1) {
            overflow = true;
            break;
        }
        value = value * base + d;
        ++digits;
    }
    result.value = negative ? -value : value;
    result.ok = digits > 0 && i == n && !overflow && (negative || value <= limit);
    return result;
}

double ItemSorter::dayCount(const QDate& date)
{
    return static_cast<double>(kDayZero.daysTo(date));
}

std::optional<double> ItemSorter::parseDayCount(QByteArrayView text)
{
    if (text.trimmed().isEmpty())
        return std::nullopt;
    const std::optional<QDateTime> dt = Regional::textToDateTime(text);
    if (!dt)
        return std::nullopt;
    return dayCount(dt->date()) + dt->time().msecsSinceStartOfDay() / 86400000.0;
}

int ItemSorter::compareItems(const ToDoItem& a, const ToDoItem& b, int valueIndex, SortKind kind,
                             bool descending)
{
    const Clock::OperationDay day;
    int result = 0;
    switch (kind) {
    case SortKind::Text: {
        const QCollator collator = textCollator();
        result = collator.compare(CodePage::decode(columnValue(a, valueIndex)),
                                  CodePage::decode(columnValue(b, valueIndex)));
        result = result < 0 ? -1 : (result > 0 ? 1 : 0);
        break;
    }
    case SortKind::Number: {
        const Key ka = numberKey(columnValue(a, valueIndex));
        const Key kb = numberKey(columnValue(b, valueIndex));
        if (ka.ok || kb.ok)
            result = sign(kb.value - ka.value);
        break;
    }
    case SortKind::Date: {
        const Key ka = dateKey(a, valueIndex);
        const Key kb = dateKey(b, valueIndex);
        if (ka.ok || kb.ok)
            result = sign(ka.value - kb.value);
        break;
    }
    }
    return descending ? -result : result;
}

std::vector<int> ItemSorter::sortOrder(const std::vector<ToDoItem>& items, int column, SortKind kind,
                                       bool descending, bool completedLast)
{
    const int valueIndex = column - 1;
    const int count = static_cast<int>(items.size());
    // Dates with two-digit years or without a year take it from one reading of the clock for all rows.
    const Clock::OperationDay day;
    std::vector<int> order(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        order[static_cast<size_t>(i)] = i;

    auto completedFirst = [&](int a, int b) -> int {
        // Open rows before completed ones, in either direction.
        if (!completedLast)
            return 0;
        return int(items[static_cast<size_t>(a)].checked()) - int(items[static_cast<size_t>(b)].checked());
    };

    if (kind == SortKind::Text) {
        const QCollator collator = textCollator();
        std::vector<QCollatorSortKey> keys;
        keys.reserve(static_cast<size_t>(count));
        for (const ToDoItem& item : items)
            keys.push_back(collator.sortKey(CodePage::decode(columnValue(item, valueIndex))));
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            if (const int c = completedFirst(a, b))
                return c < 0;
            const int r = keys[static_cast<size_t>(a)].compare(keys[static_cast<size_t>(b)]);
            return descending ? r > 0 : r < 0;
        });
        return order;
    }

    // Number and date: one key per row, then a sort over (key, row) pairs that needs no look-ups.
    struct Entry
    {
        double key;
        int row;
        bool checked;
    };
    std::vector<Entry> entries(static_cast<size_t>(count));
    bool anyParsed = false;
    for (int i = 0; i < count; ++i) {
        const ToDoItem& item = items[static_cast<size_t>(i)];
        const Key k =
            kind == SortKind::Number ? numberKey(columnValue(item, valueIndex)) : dateKey(item, valueIndex);
        anyParsed = anyParsed || k.ok;
        // Numbers go largest first and dates earliest first on the first click: fold that into the sign.
        double key = kind == SortKind::Number ? -k.value : k.value;
        if (descending)
            key = -key;
        entries[static_cast<size_t>(i)] = {key, i, completedLast && item.checked()};
    }
    if (!anyParsed) {
        // Every pair compares equal: only the completed rule can move rows.
        if (completedLast)
            std::stable_partition(order.begin(), order.end(),
                                  [&](int r) { return !items[static_cast<size_t>(r)].checked(); });
        return order;
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.checked != b.checked)
            return b.checked;
        return a.key < b.key;
    });
    for (int i = 0; i < count; ++i)
        order[static_cast<size_t>(i)] = entries[static_cast<size_t>(i)].row;
    return order;
}
