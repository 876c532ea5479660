// The comparison rules of a header sort, and the order they produce.
#include "model/ItemSorter.h"
#include "platform/Regional.h"

#include <gtest/gtest.h>

namespace {
ToDoItem row(const QByteArray& action, const QByteArray& priority = {}, const QByteArray& target = {},
             bool checked = false)
{
    ToDoItem it = ToDoItem::make(action, checked);
    it.setValue(ToDoItem::Priority, priority);
    it.setValue(ToDoItem::Target, target);
    return it;
}

QByteArrayList actionsInOrder(const std::vector<ToDoItem>& items, const std::vector<int>& order)
{
    QByteArrayList out;
    for (int i : order)
        out << items[static_cast<size_t>(i)].action().toByteArray();
    return out;
}

class SortTest : public ::testing::Test
{
protected:
    void SetUp() override { Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss")); }
};
} // namespace

TEST_F(SortTest, WholeNumbersParseLikeTheDecimalParser)
{
    // Not numbers (ok false) count as the digits read before the bad character.
    const struct
    {
        const char* text;
        bool ok;
        qint64 value;
    } cases[] = {{"  42", true, 42},  {"-7", true, -7}, {"$1F", true, 31}, {"0x10", true, 16},
                 {"12ab", false, 12}, {"", false, 0},   {"3 ", false, 3}};
    for (const auto& c : cases) {
        EXPECT_EQ(ItemSorter::parseWholeNumber(c.text).ok, c.ok) << c.text;
        EXPECT_EQ(ItemSorter::parseWholeNumber(c.text).value, c.value) << c.text;
    }
    EXPECT_FALSE(ItemSorter::parseWholeNumber("99999999999").ok);
}

TEST_F(SortTest, CompareItemsFollowsEachKind)
{
    const ToDoItem nine = row("b", "9", "01.02.2024");
    const ToDoItem one = row("a", "1", "");
    const ToDoItem junk = row("B", "x", "someday");
    // Numbers: the larger first.
    EXPECT_LT(ItemSorter::compareItems(nine, one, ToDoItem::Priority, SortKind::Number, false), 0);
    EXPECT_GT(ItemSorter::compareItems(nine, one, ToDoItem::Priority, SortKind::Number, true), 0);
    EXPECT_EQ(ItemSorter::compareItems(junk, junk, ToDoItem::Priority, SortKind::Number, false), 0);
    EXPECT_GT(ItemSorter::compareItems(junk, one, ToDoItem::Priority, SortKind::Number, false), 0);
    // Dates: the earlier first; empty and unreadable count as the earliest; two unreadable are equal.
    EXPECT_GT(ItemSorter::compareItems(nine, one, ToDoItem::Target, SortKind::Date, false), 0);
    EXPECT_EQ(ItemSorter::compareItems(one, junk, ToDoItem::Target, SortKind::Date, false), 0);
    // Text: case-sensitive, the Action for index -1.
    EXPECT_LT(ItemSorter::compareItems(one, nine, -1, SortKind::Text, false), 0);
}

TEST_F(SortTest, KindsByColumn)
{
    // "Alarm Time" (7) and "File Location" (8) carry the kind of the previous sort.
    const std::tuple<int, SortKind, SortKind> cases[] = {
        {0, SortKind::Date, SortKind::Text}, {1, SortKind::Text, SortKind::Number},
        {3, SortKind::Text, SortKind::Date}, {6, SortKind::Date, SortKind::Text},
        {7, SortKind::Date, SortKind::Date}, {8, SortKind::Number, SortKind::Number}};
    for (const auto& [column, previous, kind] : cases)
        EXPECT_EQ(ItemSorter::kindForColumn(column, previous), kind) << column;
}

TEST_F(SortTest, OrdersAgreeWithThePairRule)
{
    std::vector<ToDoItem> items = {row("d", "3", "05.05.2024"), row("a", "10", ""),
                                   row("c", "x", "01.01.2023 12:00"), row("b", "3", "04.05.2024"),
                                   row("e", "-2", "garbage")};
    for (int column : {0, 1, 3}) {
        const SortKind kind = ItemSorter::kindForColumn(column, SortKind::Text);
        for (bool descending : {false, true}) {
            const std::vector<int> order = ItemSorter::sortOrder(items, column, kind, descending);
            ASSERT_EQ(order.size(), items.size());
            for (size_t i = 1; i < order.size(); ++i) {
                const int c = ItemSorter::compareItems(items[static_cast<size_t>(order[i - 1])],
                                                       items[static_cast<size_t>(order[i])], column - 1, kind,
                                                       descending);
                EXPECT_LE(c, 0) << "column " << column << " descending " << descending << " at " << i;
            }
        }
    }
    EXPECT_EQ(actionsInOrder(items, ItemSorter::sortOrder(items, 1, SortKind::Number, false)),
              (QByteArrayList{"a", "d", "b", "c", "e"}));
}

TEST_F(SortTest, EqualKeysKeepTheirOrder)
{
    std::vector<ToDoItem> items = {row("first", "5"), row("second", "5"), row("third", "7")};
    EXPECT_EQ(actionsInOrder(items, ItemSorter::sortOrder(items, 1, SortKind::Number, false)),
              (QByteArrayList{"third", "first", "second"}));
    // Nothing parses as a date: nobody moves.
    EXPECT_EQ(actionsInOrder(items, ItemSorter::sortOrder(items, 8, SortKind::Date, true)),
              (QByteArrayList{"first", "second", "third"}));
}

TEST_F(SortTest, CompletedLastInBothDirections)
{
    std::vector<ToDoItem> items = {row("a", "1", {}, true), row("b", "2"), row("c", "3", {}, true),
                                   row("d", "4")};
    EXPECT_EQ(actionsInOrder(items, ItemSorter::sortOrder(items, 1, SortKind::Number, false, true)),
              (QByteArrayList{"d", "b", "c", "a"}));
    EXPECT_EQ(actionsInOrder(items, ItemSorter::sortOrder(items, 1, SortKind::Number, true, true)),
              (QByteArrayList{"b", "d", "a", "c"}));
    EXPECT_EQ(actionsInOrder(items, ItemSorter::sortOrder(items, 8, SortKind::Date, false, true)),
              (QByteArrayList{"b", "d", "a", "c"}));
}
