#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>

#include <limits>
#include <optional>

// One row of the to-do list: the Action (row caption), the completed flag and the column values
// Priority, Date In, Target, Remarks, Owner, Project Name, Alarm Time and File Location.
//
// Texts are kept as the bytes the list file stores, so every file is written back byte for byte. They
// live together in one buffer laid out exactly as the item record of the list file after its Checked
// byte: the Action as a text field (32-bit little-endian length, then the bytes), LastColumnIndex, and
// the column values as text fields. Loading and saving are then one copy per row, and a row costs one
// heap block. Dates and times are parsed on first use and cached until the text or the regional formats
// change.
class ToDoItem
{
public:
    enum Column
    {
        Priority = 0,
        DateIn,
        Target,
        Remarks,
        Owner,
        ProjectName,
        AlarmTime,
        FileLocation
    };
    static constexpr int ColumnCount = 8;

    // An item with an empty Action and no column values.
    ToDoItem();
    // An item with the given Action and ColumnCount empty column values, as the editor creates them.
    static ToDoItem make(QByteArrayView action, bool checked = false);
    // Adopts record bytes (Action text field through the last column value) that the caller has already
    // checked with recordLength(); no copy is made.
    static ToDoItem fromRecord(QByteArray record, bool checked);
    // Length of the record that starts at data, or -1 when it is malformed or runs past the end.
    static qsizetype recordLength(const char* data, qsizetype available);

    bool checked() const { return m_checked; }
    void setChecked(bool checked) { m_checked = checked; }

    QByteArrayView action() const;
    int valueCount() const;
    // Column value k; empty when the row lacks it.
    QByteArrayView value(int k) const;

    void setAction(QByteArrayView text);
    // Sets column value k, first appending empty values when the row has fewer than k + 1.
    void setValue(int k, QByteArrayView text);
    void appendValue(QByteArrayView text);
    // Appends empty values until the row has at least count of them.
    void ensureValueCount(int count);

    // Decoded through the code page, for display.
    QString actionText() const;
    QString valueText(int k) const;

    // The Target as a date in the short date format; nullopt when empty or unreadable.
    std::optional<QDate> targetDate() const;
    bool targetIsEmpty() const { return value(Target).isEmpty(); }
    // The Date In as a date, cached like the Target; nullopt when empty or unreadable.
    std::optional<QDate> dateInDate() const;
    // The Alarm Time as a time of day; nullopt when empty or unreadable.
    std::optional<QTime> alarmTime() const;
    // Target day and Alarm Time together, as seconds since the start of Julian day 0; nullopt when either
    // is empty or unreadable. The alarm scan reads the regional generation once and passes it for every
    // row, so an unchanged row costs a comparison.
    std::optional<qint64> alarmMoment(quint32 regionalGeneration) const
    {
        if (m_cacheGeneration != regionalGeneration)
            refreshCache();
        constexpr qint32 unreadable = std::numeric_limits<qint32>::min();
        if (m_targetDay == unreadable || m_alarmSeconds == unreadable)
            return std::nullopt;
        return qint64(m_targetDay) * 86400 + m_alarmSeconds;
    }

    // The record bytes as the list file stores them after the Checked byte.
    const QByteArray& record() const { return m_record; }

    bool operator==(const ToDoItem& other) const
    {
        return m_checked == other.m_checked && m_record == other.m_record;
    }

private:
    ToDoItem(QByteArray record, bool checked) : m_record(std::move(record)), m_checked(checked) {}

    // Byte offset of the text field (its length prefix) of value k, or of the end for k == valueCount().
    qsizetype fieldOffset(int k) const;
    void replaceField(qsizetype offset, QByteArrayView text);
    void invalidate()
    {
        m_cacheGeneration = 0;
        m_dateInGeneration = 0;
    }
    void refreshCache() const;

    QByteArray m_record;
    bool m_checked = false;
    // Parsed Target (Julian day) and Alarm Time (seconds since midnight); sentinels below.
    mutable qint32 m_targetDay = 0;
    mutable qint32 m_alarmSeconds = 0;
    mutable quint32 m_cacheGeneration = 0;
    // The Date In (Julian day) has a cache of its own: the alarm scan never needs it.
    mutable qint32 m_dateInDay = 0;
    mutable quint32 m_dateInGeneration = 0;
};
