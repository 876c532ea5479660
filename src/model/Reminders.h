#pragma once

#include "model/AlarmScanner.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <span>

// Everything the alarm timer rings: the alarms of the lists as they fall due, alarms the user snoozed,
// and, at start, the alarms that fell due while Quillmar was not running. For the last, the moment of
// the last scan is kept by whoever owns the settings (the window keeps it in the settings file): written at
// most once a minute while running and at exit, never on every tick.
class Reminders
{
public:
    // How far back missed alarms are looked for, at most.
    static constexpr int kMissedDays = 7;
    // How often the moment of the last scan is written while running, at most.
    static constexpr qint64 kSaveEverySecs = 60;

    // Where the moment of the last scan is kept between runs, as ISO 8601 text. Without one it is not
    // kept.
    struct LastScanStore
    {
        std::function<QString()> read;
        std::function<void(const QString&)> write;
    };

    explicit Reminders(LastScanStore store = {}) : m_store(std::move(store)) {}
    void setLastScanStore(LastScanStore store) { m_store = std::move(store); }

    AlarmScanner& scanner() { return m_scanner; }

    // The alarms due now: those of the lists (each once per run) and the snoozed ones whose time came.
    QList<AlarmScanner::Alarm> tick(std::span<const ToDoList* const> lists, const QDateTime& now);
    // The alarms ring again, once, minutes after now.
    void snooze(const QList<AlarmScanner::Alarm>& alarms, int minutes, const QDateTime& now);
    int snoozedCount() const { return static_cast<int>(m_snoozed.size()); }

    // At start: the alarms due after the last scan of an earlier run (or the start of today when none is
    // known, and no more than kMissedDays back) up to now. Now counts as scanned, so each shows once.
    QList<AlarmScanner::Alarm> missed(std::span<const ToDoList* const> lists, const QDateTime& now);
    // Writes the moment of the last scan (at exit).
    void saveLastScan(const QDateTime& now);

private:
    struct Snoozed
    {
        QDateTime at;
        AlarmScanner::Alarm alarm;
    };

    LastScanStore m_store;
    AlarmScanner m_scanner;
    QList<Snoozed> m_snoozed;
    QDateTime m_lastSaved;
};
