#include "model/ToDoItem.h"

#include "model/RecordField.h"

#include "platform/CodePage.h"
#include "platform/Regional.h"

#include <QtEndian>

#include <cstring>
#include <limits>

namespace {
using RecordField::appendInt;
using RecordField::appendText;
using RecordField::readInt;

constexpr qint32 kUnreadable = std::numeric_limits<qint32>::min();

} // namespace

ToDoItem::ToDoItem()
{
    appendText(m_record, {});
    appendInt(m_record, -1);
}

ToDoItem ToDoItem::make(QByteArrayView action, bool checked)
{
    ToDoItem item;
    item.m_record.clear();
    item.m_record.reserve(4 + action.size() + 4 + 4 * ColumnCount);
    appendText(item.m_record, action);
    appendInt(item.m_record, ColumnCount - 1);
    for (int i = 0; i < ColumnCount; ++i)
        appendInt(item.m_record, 0);
    item.m_checked = checked;
    return item;
}

ToDoItem ToDoItem::fromRecord(QByteArray record, bool checked)
{
    // Not through the default constructor: its empty record would be one more allocation per loaded row.
    return ToDoItem(std::move(record), checked);
}

qsizetype ToDoItem::recordLength(const char* data, qsizetype available)
{
    // Action text field, LastColumnIndex, then LastColumnIndex + 1 text fields. Every length is checked
    // against the bytes that remain, so a damaged file cannot make us read past its end.
    qsizetype pos = 0;
    auto text = [&]() -> bool {
        if (available - pos < 4)
            return false;
        const qint32 len = readInt(data + pos);
        pos += 4;
        if (len < 0 || len > available - pos)
            return false;
        pos += len;
        return true;
    };
    if (!text() || available - pos < 4)
        return -1;
    const qint32 last = readInt(data + pos);
    pos += 4;
    // Each value takes at least its 4-byte length, which bounds a hostile count by the bytes left.
    if (last < -1 || qint64(last) + 1 > (available - pos) / 4)
        return -1;
    for (qint32 i = 0; i <= last; ++i) {
        if (!text())
            return -1;
    }
    return pos;
}

QByteArrayView ToDoItem::action() const
{
    return QByteArrayView(m_record.constData() + 4, readInt(m_record.constData()));
}

int ToDoItem::valueCount() const
{
    return readInt(m_record.constData() + 4 + readInt(m_record.constData())) + 1;
}

qsizetype ToDoItem::fieldOffset(int k) const
{
    const char* d = m_record.constData();
    qsizetype pos = 4 + readInt(d) + 4;
    for (int i = 0; i < k; ++i)
        pos += 4 + readInt(d + pos);
    return pos;
}

QByteArrayView ToDoItem::value(int k) const
{
    if (k < 0 || k >= valueCount())
        return {};
    const qsizetype pos = fieldOffset(k);
    return QByteArrayView(m_record.constData() + pos + 4, readInt(m_record.constData() + pos));
}

void ToDoItem::replaceField(qsizetype offset, QByteArrayView text)
{
    const qint32 oldLen = readInt(m_record.constData() + offset);
    QByteArray field;
    field.reserve(4 + text.size());
    appendText(field, text);
    m_record.replace(offset, 4 + oldLen, field);
    invalidate();
}

void ToDoItem::setAction(QByteArrayView text)
{
    replaceField(0, text);
}

void ToDoItem::ensureValueCount(int count)
{
    const int have = valueCount();
    if (have >= count)
        return;
    for (int i = have; i < count; ++i)
        appendInt(m_record, 0);
    qToLittleEndian<qint32>(count - 1, m_record.data() + 4 + readInt(m_record.constData()));
    invalidate();
}

void ToDoItem::setValue(int k, QByteArrayView text)
{
    if (k < 0)
        return;
    ensureValueCount(k + 1);
    replaceField(fieldOffset(k), text);
}

void ToDoItem::appendValue(QByteArrayView text)
{
    const int k = valueCount();
    ensureValueCount(k + 1);
    replaceField(fieldOffset(k), text);
}

QString ToDoItem::actionText() const
{
    return CodePage::decode(action());
}

QString ToDoItem::valueText(int k) const
{
    return CodePage::decode(value(k));
}

namespace {
// A Target or Date In may name a time of day after its date (the import writes one where the calendar
// had one); the row's day, and with it its status, goes by the date.
std::optional<QDate> dayOf(QByteArrayView text)
{
    if (const auto day = Regional::textToDate(text))
        return day;
    // A time alone comes back on day 0, which is no date the user wrote.
    const auto full = Regional::textToDateTime(text);
    if (full && full->date() != QDate(1899, 12, 30))
        return full->date();
    return std::nullopt;
}
} // namespace

void ToDoItem::refreshCache() const
{
    const quint32 gen = Regional::generation();
    if (m_cacheGeneration == gen)
        return;
    // One walk over the record for both texts.
    QByteArrayView targetText, alarmText;
    const int count = valueCount();
    qsizetype pos = fieldOffset(0);
    for (int k = 0; k < count && k <= AlarmTime; ++k) {
        const qint32 length = readInt(m_record.constData() + pos);
        if (k == Target)
            targetText = QByteArrayView(m_record.constData() + pos + 4, length);
        else if (k == AlarmTime)
            alarmText = QByteArrayView(m_record.constData() + pos + 4, length);
        pos += 4 + length;
    }
    const auto target = dayOf(targetText);
    m_targetDay = target ? static_cast<qint32>(target->toJulianDay()) : kUnreadable;
    const auto alarm = Regional::textToTime(alarmText);
    m_alarmSeconds = alarm ? alarm->msecsSinceStartOfDay() / 1000 : kUnreadable;
    m_cacheGeneration = gen;
}

std::optional<QDate> ToDoItem::targetDate() const
{
    refreshCache();
    if (m_targetDay == kUnreadable)
        return std::nullopt;
    return QDate::fromJulianDay(m_targetDay);
}

std::optional<QDate> ToDoItem::dateInDate() const
{
    const quint32 gen = Regional::generation();
    if (m_dateInGeneration != gen) {
        const auto dateIn = dayOf(value(DateIn));
        m_dateInDay = dateIn ? static_cast<qint32>(dateIn->toJulianDay()) : kUnreadable;
        m_dateInGeneration = gen;
    }
    if (m_dateInDay == kUnreadable)
        return std::nullopt;
    return QDate::fromJulianDay(m_dateInDay);
}

std::optional<QTime> ToDoItem::alarmTime() const
{
    refreshCache();
    if (m_alarmSeconds == kUnreadable)
        return std::nullopt;
    return QTime::fromMSecsSinceStartOfDay(m_alarmSeconds * 1000);
}
