#include "model/AlarmScanner.h"

#include "platform/Clock.h"
#include "platform/Regional.h"

#include <QHash>

#include <algorithm>
#include <limits>

namespace {
constexpr qint64 kMsecsPerDay = 86400 * 1000;

quint64 rungKey(qint64 dueMsecs, QByteArrayView action)
{
    return static_cast<quint64>(qHash(action, static_cast<size_t>(dueMsecs))) ^
           static_cast<quint64>(dueMsecs);
}
} // namespace

qint64 AlarmScanner::leadFromText(const QString& text)
{
    bool ok = false;
    const qint64 minutes = text.trimmed().toLongLong(&ok);
    // A negative lead would ring after the Alarm Time; more than a year of lead is a typing slip.
    if (!ok || minutes < 0 || minutes > 366 * 24 * 60)
        return 0;
    return minutes;
}

qint64 AlarmScanner::wallMsecs(const QDateTime& t)
{
    return t.date().toJulianDay() * kMsecsPerDay + t.time().msecsSinceStartOfDay();
}

void AlarmScanner::start(const QDateTime& now)
{
    m_last = wallMsecs(now);
}

QList<AlarmScanner::Alarm> AlarmScanner::tick(std::span<const ToDoList* const> lists, const QDateTime& now)
{
    const qint64 nowMsecs = wallMsecs(now);
    if (m_last < 0)
        m_last = nowMsecs - 1000;
    const qint64 from = m_last;
    m_last = nowMsecs;
    QList<Alarm> due;
    // The clock went back (set by hand, or daylight saving ended): nothing lies in between.
    if (nowMsecs <= from)
        return due;

    // Shift the window by the lead instead of every row: an alarm rings on the first tick at or after
    // its Alarm Time minus the lead.
    const qint64 lead = m_leadMinutes * 60 * 1000;
    const qint64 lo = from + lead;
    const qint64 hi = nowMsecs + lead;
    const quint32 generation = Regional::generation();
    Quiet read{std::numeric_limits<qint64>::max(), lead, generation, now.date().toJulianDay(), {}};
    for (const ToDoList* list : lists)
        if (list)
            read.lists.emplace_back(list, list->size());
    if (m_watched && m_quiet && hi < m_quiet->nextAt && m_quiet->lead == read.lead &&
        m_quiet->generation == read.generation && m_quiet->day == read.day && m_quiet->lists == read.lists)
        return due;
    // Rows read for the first time (two-digit years) take the year from this tick, not from the clock.
    const Clock::OperationDay day(now.date());
    for (const ToDoList* list : lists) {
        if (!list)
            continue;
        const int count = list->size();
        for (int row = 0; row < count; ++row) {
            const ToDoItem& item = list->items[static_cast<size_t>(row)];
            if (item.checked())
                continue;
            // An empty or unreadable Target or Alarm Time reads as none; a row with at most one column
            // value has neither.
            const auto moment = item.alarmMoment(generation);
            if (!moment)
                continue;
            const qint64 at = *moment * 1000;
            if (at > hi)
                read.nextAt = std::min(read.nextAt, at);
            if (at <= lo || at > hi)
                continue;
            const qint64 dueMsecs = at - lead;
            if (!m_rung.insert(rungKey(dueMsecs, item.action())).second)
                continue;
            Alarm alarm;
            alarm.row = row;
            alarm.action = item.action().toByteArray();
            alarm.due = QDateTime(QDate::fromJulianDay(dueMsecs / kMsecsPerDay),
                                  QTime::fromMSecsSinceStartOfDay(static_cast<int>(dueMsecs % kMsecsPerDay)));
            due.append(alarm);
        }
    }
    m_quiet = std::move(read);
    return due;
}

void AlarmScanner::rowsTold(const ToDoList& list, int first, int last, int added)
{
    if (!m_quiet)
        return;
    // Many rows at once (all checked, an import) cost what reading every row costs.
    constexpr int kRowsReadAlone = 4096;
    const int count = list.size();
    auto known = std::find_if(m_quiet->lists.begin(), m_quiet->lists.end(),
                              [&list](const auto& entry) { return entry.first == &list; });
    const bool none = first > last;
    if (known == m_quiet->lists.end() || known->second + added != count ||
        (!none && (first < 0 || last >= count || last - first >= kRowsReadAlone)) ||
        m_quiet->generation != Regional::generation()) {
        m_quiet.reset();
        return;
    }
    known->second = count;
    // An alarm at or before the previous tick's end would not ring on the next tick either; one later
    // is the earliest ahead if none read before comes sooner.
    const qint64 passed = m_last + m_quiet->lead;
    const Clock::OperationDay day(QDate::fromJulianDay(m_quiet->day));
    for (int row = first; row <= last; ++row) {
        const ToDoItem& item = list.items[static_cast<size_t>(row)];
        if (item.checked())
            continue;
        const auto moment = item.alarmMoment(m_quiet->generation);
        if (moment && *moment * 1000 > passed)
            m_quiet->nextAt = std::min(m_quiet->nextAt, *moment * 1000);
    }
}
