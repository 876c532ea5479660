#include "exchange/sync/SyncMatch.h"

#include <QHash>

#include <algorithm>
#include <tuple>

namespace {
// Alike rows beyond this many per Action or Date In are not compared: a list of thousands of rows made on
// one day must not cost a comparison of every pair.
constexpr int kCandidatesPerBucket = 64;

int sameFields(const ToDoItem& a, const ToDoItem& b)
{
    int same = (a.action() == b.action()) + (a.checked() == b.checked());
    for (int k = 0; k < ToDoItem::ColumnCount; ++k)
        same += a.value(k) == b.value(k);
    return same;
}

// Of the ten fields (Action, Checked and eight values): the same Action and half of the other fields, or
// the same Date In and seven of them.
bool alike(const ToDoItem& a, const ToDoItem& b, int same)
{
    if (a.action() == b.action())
        return same >= 5;
    return !a.value(ToDoItem::DateIn).isEmpty() && a.value(ToDoItem::DateIn) == b.value(ToDoItem::DateIn) &&
           same >= 7;
}
} // namespace

QByteArray SyncItemKey(const ToDoItem& item)
{
    return item.record() + (item.checked() ? '1' : '0');
}

SyncMatch MatchSyncRows(const std::vector<ToDoItem>& rows, const std::vector<const ToDoItem*>& bases,
                        const std::vector<const ToDoItem*>& remote)
{
    SyncMatch m;
    m.rowOfEntry.assign(bases.size(), -1);
    m.entryOfRow.assign(rows.size(), -1);
    const auto pair = [&m](int entry, int row) {
        m.rowOfEntry[size_t(entry)] = row;
        m.entryOfRow[size_t(row)] = entry;
    };

    // Rows by content, each list in row order, consumed from the front.
    QHash<QByteArray, std::vector<int>> byContent;
    byContent.reserve(qsizetype(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r)
        byContent[SyncItemKey(rows[r])].push_back(int(r));
    QHash<QByteArray, size_t> taken;
    const auto exact = [&](const ToDoItem& item) -> int {
        const QByteArray key = SyncItemKey(item);
        const auto it = byContent.constFind(key);
        if (it == byContent.constEnd())
            return -1;
        size_t& next = taken[key];
        while (next < it->size() && m.entryOfRow[size_t((*it)[next])] >= 0)
            ++next;
        return next < it->size() ? (*it)[next++] : -1;
    };
    for (size_t e = 0; e < bases.size(); ++e) {
        if (const int row = exact(*bases[e]); row >= 0)
            pair(int(e), row);
    }
    for (size_t e = 0; e < bases.size(); ++e) {
        if (m.rowOfEntry[e] < 0 && remote[e]) {
            if (const int row = exact(*remote[e]); row >= 0)
                pair(int(e), row);
        }
    }

    // The rest: the most alike pairs first.
    QHash<QByteArray, std::vector<int>> byAction, byDateIn;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (m.entryOfRow[r] >= 0)
            continue;
        auto& a = byAction[rows[r].action().toByteArray()];
        if (a.size() < size_t(kCandidatesPerBucket))
            a.push_back(int(r));
        if (!rows[r].value(ToDoItem::DateIn).isEmpty()) {
            auto& d = byDateIn[rows[r].value(ToDoItem::DateIn).toByteArray()];
            if (d.size() < size_t(kCandidatesPerBucket))
                d.push_back(int(r));
        }
    }
    std::vector<std::tuple<int, int, int>> candidates; // (-same, entry, row)
    for (size_t e = 0; e < bases.size(); ++e) {
        if (m.rowOfEntry[e] >= 0)
            continue;
        const ToDoItem& base = *bases[e];
        for (const auto* bucket : {&byAction, &byDateIn}) {
            const QByteArray key = bucket == &byAction ? base.action().toByteArray()
                                                       : base.value(ToDoItem::DateIn).toByteArray();
            const auto it = bucket->constFind(key);
            if (it == bucket->constEnd())
                continue;
            for (const int r : *it) {
                const int same = sameFields(base, rows[size_t(r)]);
                if (alike(base, rows[size_t(r)], same))
                    candidates.emplace_back(-same, int(e), r);
            }
        }
    }
    std::sort(candidates.begin(), candidates.end());
    for (const auto& [negSame, e, r] : candidates) {
        if (m.rowOfEntry[size_t(e)] < 0 && m.entryOfRow[size_t(r)] < 0)
            pair(e, r);
    }
    return m;
}
