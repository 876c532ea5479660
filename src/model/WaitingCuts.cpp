#include "model/WaitingCuts.h"

#include <algorithm>

WaitingCuts::WaitingCuts(const QString& historyPath) : m_journal(historyPath) {}

IoResult WaitingCuts::add(quint64 key, quint64 generation, CutJournal::Cut cut)
{
    std::lock_guard lock(m_mutex);
    m_entries.push_back({key, generation, std::move(cut)});
    IoResult r = write();
    if (!r)
        m_entries.pop_back();
    return r;
}

void WaitingCuts::setGenerations(quint64 key, quint64 generation, quint64 leftAt)
{
    std::lock_guard lock(m_mutex);
    for (Entry& e : m_entries) {
        if (e.key == key) {
            e.generation = generation;
            e.leftAt = leftAt;
        }
    }
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

IoResult WaitingCuts::cutting(quint64 key, const FileStamp& history)
{
    std::lock_guard lock(m_mutex);
    for (Entry& e : m_entries)
        if (e.key == key) {
            e.cut.historyBefore = history;
            return write();
        }
    return IoResult::success();
}

IoResult WaitingCuts::replacing(const QString& path, const FileStamp& written, quint64 generation)
{
    std::lock_guard lock(m_mutex);
    bool any = false;
    for (Entry& e : m_entries) {
        if (e.generation < generation && generation < e.leftAt) {
            e.cut.written = path;
            e.cut.writtenStamp = written;
            any = true;
        }
    }
    return any ? write() : IoResult::success();
}

IoResult WaitingCuts::write()
{
    std::vector<CutJournal::Cut> cuts;
    cuts.reserve(m_entries.size());
    for (const Entry& e : m_entries)
        cuts.push_back(e.cut);
    return m_journal.write(cuts);
}
