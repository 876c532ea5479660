#include "model/ItemStatus.h"
#include "model/ToDoItem.h"
#include "model/ToDoList.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include <gtest/gtest.h>

namespace {
class ModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
        Clock::setNow(QDateTime(QDate(2026, 12, 6), QTime(0, 0)));
    }
    void TearDown() override { Clock::reset(); }

    static ToDoItem withTarget(const char* target, bool checked = false)
    {
        ToDoItem item = ToDoItem::make("a", checked);
        item.setValue(ToDoItem::Target, target);
        return item;
    }
};
} // namespace

TEST_F(ModelTest, SettersKeepOtherFieldsAndGrowShortRows)
{
    ToDoItem item;
    item.appendValue("1");
    item.appendValue("x");
    item.appendValue("y");
    ASSERT_EQ(item.valueCount(), 3);
    item.setValue(ToDoItem::FileLocation, "/tmp/doc.txt");
    EXPECT_EQ(item.valueCount(), 8);
    EXPECT_EQ(item.value(0), QByteArrayView("1"));
    EXPECT_EQ(item.value(2), QByteArrayView("y"));
    EXPECT_TRUE(item.value(5).isEmpty());
    EXPECT_EQ(item.value(7), QByteArrayView("/tmp/doc.txt"));
    item.setAction("longer action text");
    item.setValue(1, "");
    EXPECT_EQ(item.action(), QByteArrayView("longer action text"));
    EXPECT_EQ(item.value(2), QByteArrayView("y"));
    EXPECT_EQ(ToDoItem::recordLength(item.record().constData(), item.record().size()), item.record().size());
}

TEST_F(ModelTest, StatusRule)
{
    const QDate today(2026, 12, 6);
    EXPECT_EQ(ItemStatusOf(withTarget("01.01.2020", true), today), ItemStatus::Completed);
    ToDoItem noTarget = ToDoItem::make("a");
    noTarget.setValue(ToDoItem::DateIn, "01.01.2020");
    EXPECT_EQ(ItemStatusOf(noTarget, today), ItemStatus::Open);
    EXPECT_EQ(ItemStatusOf(withTarget("06.12.2026"), today), ItemStatus::Today);
    EXPECT_EQ(ItemStatusOf(withTarget("05.12.2026"), today), ItemStatus::Overdue);
    EXPECT_EQ(ItemStatusOf(withTarget("07.12.2026"), today), ItemStatus::Pending);
    EXPECT_EQ(ItemStatusOf(withTarget("soon"), today), ItemStatus::Pending);
    EXPECT_EQ(ItemStatusOf(withTarget("31.02.2026"), today), ItemStatus::Pending);
    // A row without column values has no Target.
    EXPECT_EQ(ItemStatusOf(ToDoItem(), today), ItemStatus::Open);
}

TEST_F(ModelTest, StatusAroundMidnightFollowsTheClock)
{
    const ToDoItem item = withTarget("06.12.2026");
    Clock::setNow(QDateTime(QDate(2026, 12, 5), QTime(23, 59, 59)));
    EXPECT_EQ(ItemStatusOf(item), ItemStatus::Pending);
    Clock::setNow(QDateTime(QDate(2026, 12, 6), QTime(0, 0)));
    EXPECT_EQ(ItemStatusOf(item), ItemStatus::Today);
    Clock::setNow(QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59)));
    EXPECT_EQ(ItemStatusOf(item), ItemStatus::Today);
    Clock::setNow(QDateTime(QDate(2026, 12, 7), QTime(0, 0)));
    EXPECT_EQ(ItemStatusOf(item), ItemStatus::Overdue);
}

TEST_F(ModelTest, CachedTargetFollowsTextAndFormatChanges)
{
    ToDoItem item = withTarget("06.12.2026");
    EXPECT_EQ(item.targetDate(), QDate(2026, 12, 6));
    item.setValue(ToDoItem::Target, "07.12.2026");
    EXPECT_EQ(item.targetDate(), QDate(2026, 12, 7));
    Regional::setFormats(QStringLiteral("M/d/yyyy"), QStringLiteral("h:mm:ss AP"));
    EXPECT_EQ(item.targetDate(), QDate(2026, 7, 12));
}
