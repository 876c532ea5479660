#pragma once

#include "model/ToDoList.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>
#include <span>
#include <unordered_set>
#include <utility>
#include <vector>

// Finds the alarms that fell due since the previous timer tick.
//
// An alarm is due at its Target day at its Alarm Time, minus the lead time. A tick rings every alarm whose
// due moment lies after the previous tick and not after now, so a late tick (busy machine, suspend) still
// rings what it passed over, and two ticks within one second ring nothing twice. Each alarm rings at most
// once per run, also when the clock is set back.
//
// Moments are compared as local wall-clock time (days since the Julian epoch and milliseconds of the day),
// the way the user reads the Alarm Time; a tick reads only the item's cached Target and Alarm Time.
class AlarmScanner
{
public:
    struct Alarm
    {
        int row = -1;
        QByteArray action;
        QDateTime due; // the moment it rang for: Target day, Alarm Time, minus the lead
    };

    // The lead time in whole minutes from the settings text ("PreAlarm Time"); blanks are allowed, any
    // other text means no lead.
    static qint64 leadFromText(const QString& text);

    void setLeadMinutes(qint64 minutes) { m_leadMinutes = minutes; }
    qint64 leadMinutes() const { return m_leadMinutes; }

    // The previous tick; alarms due up to this moment are not rung. Called when the timer starts.
    void start(const QDateTime& now);

    // The alarms due in (previous tick, now], in list order; now becomes the previous tick. Completed
    // rows, rows without Target or Alarm Time and rows whose Target or Alarm Time cannot be read are
    // skipped one by one. A first tick without start() looks back one second.
    QList<Alarm> tick(const ToDoList& list, const QDateTime& now)
    {
        const ToDoList* const one[] = {&list};
        return tick(one, now);
    }
    // The same over several lists at once (the standard list and the one shown); null lists are
    // skipped. An alarm that stands in two of them (a copy of a row) rings once.
    QList<Alarm> tick(std::span<const ToDoList* const> lists, const QDateTime& now);

    // A million rows take milliseconds to read on every tick. Once the owner promises to say when the
    // lists change (listsChanged()), a tick that cannot reach the earliest alarm ahead that the last
    // reading saw reads no row; a change of the lists, the lead, the day or the regional formats reads
    // them all again.
    void watchChanges() { m_watched = true; }
    void listsChanged() { m_quiet.reset(); }
    // Rows first..last of one of the lists were edited, or added (the list already holds them): the next
    // tick reads them alone, not every row. Rows that left are not read: an alarm ahead that left with
    // them only makes a tick read every row once more than needed. A count that does not add up (a
    // change not told) reads every row.
    void rowsChanged(const ToDoList& list, int first, int last) { rowsTold(list, first, last, 0); }
    void rowsInserted(const ToDoList& list, int first, int last)
    {
        rowsTold(list, first, last, last - first + 1);
    }
    void rowsRemoved(const ToDoList& list, int first, int last) { rowsTold(list, 0, -1, first - last - 1); }

private:
    static qint64 wallMsecs(const QDateTime& t);

    qint64 m_leadMinutes = 0;
    qint64 m_last = -1; // wall-clock milliseconds of the previous tick
    // Alarms that have rung this run, by due moment and action text, so none rings twice.
    std::unordered_set<quint64> m_rung;
    // What the last reading of every row found and read against: no alarm moment in (its window's end,
    // nextAt).
    struct Quiet
    {
        qint64 nextAt = 0;
        qint64 lead = 0;
        quint32 generation = 0;
        qint64 day = 0;
        std::vector<std::pair<const ToDoList*, int>> lists;
    };
    // Reads rows first..last (none when first > last) of a list that grew by added rows.
    void rowsTold(const ToDoList& list, int first, int last, int added);

    bool m_watched = false;
    std::optional<Quiet> m_quiet;
};
