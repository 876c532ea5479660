// Which row is which item of the last sync, when rows carry no ID.
#include "exchange/sync/SyncMatch.h"

#include <gtest/gtest.h>

namespace {
ToDoItem item(const char* action, const char* remarks = "", const char* dateIn = "")
{
    ToDoItem i = ToDoItem::make(action);
    i.setValue(ToDoItem::Remarks, remarks);
    i.setValue(ToDoItem::DateIn, dateIn);
    return i;
}

// rowOfEntry for rows against bases (no server versions).
std::vector<int> match(const std::vector<ToDoItem>& rows, const std::vector<ToDoItem>& bases,
                       const std::vector<const ToDoItem*>& remote = {})
{
    std::vector<const ToDoItem*> b;
    for (const ToDoItem& i : bases)
        b.push_back(&i);
    return MatchSyncRows(rows, b, remote.empty() ? std::vector<const ToDoItem*>(b.size()) : remote)
        .rowOfEntry;
}

TEST(SyncMatch, RowsMeetTheirItems)
{
    const ToDoItem milk = item("Buy milk", "2 litres"), bob = item("Call Bob");
    // Unchanged rows in another order; alike rows in list order.
    EXPECT_EQ(match({bob, milk, bob}, {milk, bob, bob}), (std::vector<int>{1, 0, 2}));
    // Edited by another program: the Action changed, another value is the same.
    EXPECT_EQ(match({item("Buy oat milk", "2 litres")}, {milk}), (std::vector<int>{0}));
    // Same Date In and most values: the Action may have changed entirely.
    EXPECT_EQ(match({item("Dentist", "Tuesday", "01.12.2026")}, {item("Doctor", "Tuesday", "01.12.2026")}),
              (std::vector<int>{0}));
    // A row equal to the server's version of its item (received by a run that died before recording it).
    const ToDoItem theirs = item("Call Bob today");
    EXPECT_EQ(match({item("Feed the cat"), theirs}, {bob}, {&theirs}), (std::vector<int>{1}));
}

TEST(SyncMatch, ADeletedRowAndANewOneAreNoRename)
{
    // Nothing but a similar Action: "Call Bob" deleted, "Call Rob" added.
    EXPECT_EQ(match({item("Call Rob")}, {item("Call Bob")}), (std::vector<int>{-1}));
    // Each row goes to one item only, the most alike first.
    EXPECT_EQ(match({item("Buy milk", "oat")}, {item("Buy milk", "cow"), item("Buy milk", "oat")}),
              (std::vector<int>{-1, 0}));
}
} // namespace
