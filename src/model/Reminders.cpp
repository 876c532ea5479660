#include "model/Reminders.h"

QList<AlarmScanner::Alarm> Reminders::tick(std::span<const ToDoList* const> lists, const QDateTime& now)
{
    QList<AlarmScanner::Alarm> due = m_scanner.tick(lists, now);
    for (qsizetype i = 0; i < m_snoozed.size();) {
        if (m_snoozed[i].at <= now) {
            due.append(m_snoozed[i].alarm);
            m_snoozed.removeAt(i);
        } else {
            ++i;
        }
    }
    // Written at once when something rang, so that a crash right after it does not list it as missed.
    if (!due.isEmpty() || !m_lastSaved.isValid() || m_lastSaved.secsTo(now) >= kSaveEverySecs ||
        now < m_lastSaved)
        saveLastScan(now);
    return due;
}

void Reminders::snooze(const QList<AlarmScanner::Alarm>& alarms, int minutes, const QDateTime& now)
{
    for (const AlarmScanner::Alarm& alarm : alarms)
        m_snoozed.append({now.addSecs(qint64(minutes) * 60), alarm});
}

QList<AlarmScanner::Alarm> Reminders::missed(std::span<const ToDoList* const> lists, const QDateTime& now)
{
    QDateTime since;
    if (m_store.read)
        since = QDateTime::fromString(m_store.read(), Qt::ISODate);
    if (!since.isValid())
        since = QDateTime(now.date(), QTime(0, 0));
    since = std::max(since, now.addDays(-kMissedDays));
    QList<AlarmScanner::Alarm> found;
    if (since < now) {
        AlarmScanner lookBack;
        lookBack.setLeadMinutes(m_scanner.leadMinutes());
        lookBack.start(since);
        found = lookBack.tick(lists, now);
    }
    // They are shown now: the timer goes on from here, and the next start looks back only to here.
    m_scanner.start(now);
    saveLastScan(now);
    return found;
}

void Reminders::saveLastScan(const QDateTime& now)
{
    m_lastSaved = now;
    if (m_store.write)
        m_store.write(now.toString(Qt::ISODate));
}
