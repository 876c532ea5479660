#include "exchange/sync/SyncMatch.h"

#include <QHash>

#include <algorithm>
#include <tuple>

namespace {
// Past this many pairs of unmatched rows and items only rows of the same Action or Date In are compared: a
// list of thousands of rows changed at once must not cost a comparison of every pair.
constexpr size_t kAllPairsLimit = 250000;
constexpr int kCandidatesPerBucket = 64;

// 1 for equal texts, falling with the share of bytes that an edit would have to change.
double similarity(QByteArrayView a, QByteArrayView b)
{
    const qsizetype longest = std::max(a.size(), b.size());
    if (longest == 0)
        return 1;
    std::vector<qsizetype> row(size_t(b.size()) + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[size_t(j)] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype above = row[size_t(j)];
            row[size_t(j)] = std::min({above + 1, row[size_t(j - 1)] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return 1.0 - double(row[size_t(b.size())]) / double(longest);
}

// How alike a row is to an item of the last sync, or a negative number when too little is alike: an
// Action at most half changed with another value the same, or the same Date In with six of the ten fields
// the same. An Action alone says too little: "Call Bob" deleted and "Call Rob" added is no rename.
double likeness(const ToDoItem& a, const ToDoItem& b)
{
    const double action = similarity(a.action(), b.action());
    const bool dateIn =
        !a.value(ToDoItem::DateIn).isEmpty() && a.value(ToDoItem::DateIn) == b.value(ToDoItem::DateIn);
    int same = (a.action() == b.action()) + (a.checked() == b.checked());
    int filled = 0;
    for (int k = 0; k < ToDoItem::ColumnCount; ++k) {
        same += a.value(k) == b.value(k);
        filled += a.value(k) == b.value(k) && !a.value(k).isEmpty();
    }
    const bool renamed = action == 1 || (action >= 0.5 && filled > 0);
    if (!renamed && !(dateIn && same >= 6))
        return -1;
    return 4 * action + 3 * dateIn + filled + 0.5 * (a.checked() == b.checked());
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
    std::vector<int> rowsLeft, entriesLeft;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (m.entryOfRow[r] < 0)
            rowsLeft.push_back(int(r));
    }
    for (size_t e = 0; e < bases.size(); ++e) {
        if (m.rowOfEntry[e] < 0)
            entriesLeft.push_back(int(e));
    }
    std::vector<std::tuple<double, int, int>> candidates; // (-likeness, entry, row)
    const auto consider = [&](int e, int r) {
        if (const double like = likeness(*bases[size_t(e)], rows[size_t(r)]); like >= 0)
            candidates.emplace_back(-like, e, r);
    };
    if (rowsLeft.size() * entriesLeft.size() <= kAllPairsLimit) {
        for (const int e : entriesLeft) {
            for (const int r : rowsLeft)
                consider(e, r);
        }
    } else {
        QHash<QByteArray, std::vector<int>> byAction, byDateIn;
        for (const int r : rowsLeft) {
            auto& a = byAction[rows[size_t(r)].action().toByteArray()];
            if (a.size() < size_t(kCandidatesPerBucket))
                a.push_back(r);
            if (const QByteArrayView d = rows[size_t(r)].value(ToDoItem::DateIn); !d.isEmpty()) {
                auto& bucket = byDateIn[d.toByteArray()];
                if (bucket.size() < size_t(kCandidatesPerBucket))
                    bucket.push_back(r);
            }
        }
        for (const int e : entriesLeft) {
            for (const int r : byAction.value(bases[size_t(e)]->action().toByteArray()))
                consider(e, r);
            for (const int r : byDateIn.value(bases[size_t(e)]->value(ToDoItem::DateIn).toByteArray()))
                consider(e, r);
        }
    }
    std::sort(candidates.begin(), candidates.end());
    for (const auto& [unlike, e, r] : candidates) {
        if (m.rowOfEntry[size_t(e)] < 0 && m.entryOfRow[size_t(r)] < 0)
            pair(e, r);
    }
    return m;
}
