#include "model/WaitingCuts.h"

#include <algorithm>

WaitingCuts::WaitingCuts(const QString& historyPath) : m_journal(historyPath) {}

IoResult WaitingCuts::add(quint64 key, quint64 generation, CutJournal::Cut cut)
{
    std::vector<ToDoItem> items = CutJournal::itemsOf(cut);
    std::lock_guard lock(m_mutex);
    m_entries.push_back({key, generation, std::move(cut), std::move(items)});
    IoResult r = write();
    if (!r)
        m_entries.pop_back();
    return r;
}

void WaitingCuts::remove(const std::vector<quint64>& keys)
{
    std::lock_guard lock(m_mutex);
    const auto gone = std::remove_if(m_entries.begin(), m_entries.end(), [&keys](const Entry& e) {
        return std::find(keys.begin(), keys.end(), e.key) != keys.end();
    });
    if (gone == m_entries.end())
        return;
    m_entries.erase(gone, m_entries.end());
    (void)write();
}

IoResult WaitingCuts::countIn(const ToDoList& rows, quint64 generation)
{
    struct Wanted
    {
        quint64 key;
        std::vector<ToDoItem> items;
        qint32 count;
    };
    std::vector<Wanted> wanted;
    {
        std::lock_guard lock(m_mutex);
        for (const Entry& e : m_entries)
            if (e.generation < generation)
                wanted.push_back({e.key, e.items, 0});
    }
    if (wanted.empty())
        return IoResult::success();
    // Outside the lock: the window may note or drop cuts meanwhile.
    for (Wanted& w : wanted)
        w.count = rows.countEqualTo(w.items);
    std::lock_guard lock(m_mutex);
    for (const Wanted& w : wanted) {
        for (Entry& e : m_entries) {
            // Rows deleted again since the undo: the file lacks some, and no start may take it for one that
            // holds them back.
            if (e.key == w.key)
                e.cut.rowsExpected = std::max(w.count, e.cut.count);
        }
    }
    return write();
}

IoResult WaitingCuts::write()
{
    std::vector<CutJournal::Cut> cuts;
    cuts.reserve(m_entries.size());
    for (const Entry& e : m_entries)
        cuts.push_back(e.cut);
    return m_journal.write(cuts);
}
