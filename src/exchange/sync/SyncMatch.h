#pragma once

#include "model/ToDoItem.h"

#include <vector>

// Which row of the list is which item of the last sync. Rows carry no ID, so they are matched by content:
//   1. a row equal to the item as it was synced (an unchanged row);
//   2. a row equal to the server's current version of the item (a change received, or sent, by a run that
//      died before it could record it);
//   3. the most alike remaining row: the same Action, or one at most half changed with another value the
//      same, or the same Date In with six of the ten fields the same (a row changed since the last sync,
//      here or by another program).
// Each row and each item is matched at most once; alike rows are matched in list order.
struct SyncMatch
{
    std::vector<int> rowOfEntry; // -1: no row (deleted in the list)
    std::vector<int> entryOfRow; // -1: a new row
};

// remote[i] is the server's current version of entry i when it was fetched, else null.
SyncMatch MatchSyncRows(const std::vector<ToDoItem>& rows, const std::vector<const ToDoItem*>& bases,
                        const std::vector<const ToDoItem*>& remote);

// The key under which equal items meet.
QByteArray SyncItemKey(const ToDoItem& item);
