#include "config/Config.h"
#include "model/AlarmScanner.h"
#include "model/Reminders.h"
#include "platform/Clock.h"
#include "platform/Regional.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
const QDate kDay(2026, 3, 14);

QDateTime at(const QString& hms, int msecs = 0, QDate day = kDay)
{
    return QDateTime(day, QTime::fromString(hms, QStringLiteral("HH:mm:ss")).addMSecs(msecs));
}

ToDoItem alarmItem(const char* action, const QByteArray& target, const QByteArray& time, bool done = false)
{
    ToDoItem item = ToDoItem::make(action, done);
    item.setValue(ToDoItem::Target, target);
    item.setValue(ToDoItem::AlarmTime, time);
    return item;
}

// The moment of the last scan in a settings file, as the window keeps it.
Reminders::LastScanStore storeIn(const QString& settings)
{
    return {[settings] { return Config::read(settings, Config::Key::LastScan); },
            [settings](const QString& at) { Config::write(settings, Config::Key::LastScan, at); }};
}

QStringList actions(const QList<AlarmScanner::Alarm>& alarms)
{
    QStringList out;
    for (const auto& a : alarms)
        out << QString::fromLatin1(a.action);
    return out;
}

class AlarmScan : public ::testing::Test
{
protected:
    void SetUp() override { Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss")); }
    void TearDown() override { Clock::reset(); }

    // Ticks once a second (at the given milliseconds into each second) from..to, collecting what rang.
    QStringList run(const QString& from, const QString& to, int msecs = 300)
    {
        QStringList rang;
        for (QDateTime t = at(from, msecs); t <= at(to, msecs); t = t.addSecs(1)) {
            Clock::setNow(t);
            rang << actions(scanner.tick(list, Clock::now()));
        }
        return rang;
    }

    ToDoList list;
    AlarmScanner scanner;
};
} // namespace

TEST_F(AlarmScan, RingsOnceOnTimeAndNotBefore)
{
    list.items.push_back(alarmItem("tea", "14.03.2026", "14:30:00"));
    scanner.start(at("14:29:00"));
    EXPECT_TRUE(run("14:29:01", "14:29:59").isEmpty());
    Clock::setNow(at("14:30:00", 40));
    const auto alarms = scanner.tick(list, Clock::now());
    ASSERT_EQ(alarms.size(), 1);
    EXPECT_EQ(alarms[0].row, 0);
    EXPECT_EQ(alarms[0].due, at("14:30:00"));
    EXPECT_TRUE(run("14:30:01", "14:32:00").isEmpty());
}

TEST_F(AlarmScan, LeadTimeRingsEarlierAndMayExceedAnHour)
{
    list.items.push_back(alarmItem("ten", "14.03.2026", "14:30:00"));
    list.items.push_back(alarmItem("ninety", "14.03.2026", "15:50:00"));
    scanner.setLeadMinutes(10);
    scanner.start(at("14:00:00"));
    EXPECT_EQ(run("14:00:01", "14:25:00"), QStringList{"ten"});

    AlarmScanner longLead;
    longLead.setLeadMinutes(90);
    longLead.start(at("14:00:00"));
    Clock::setNow(at("14:20:00"));
    EXPECT_EQ(actions(longLead.tick(list, Clock::now())), QStringList{"ninety"});
    EXPECT_EQ(AlarmScanner::leadFromText(QStringLiteral(" 90 ")), 90);
    EXPECT_EQ(AlarmScanner::leadFromText(QStringLiteral("x")), 0);
    EXPECT_EQ(AlarmScanner::leadFromText(QStringLiteral("-5")), 0);
}

TEST_F(AlarmScan, LateTickAndSuspendStillRingOnce)
{
    list.items.push_back(alarmItem("a", "14.03.2026", "14:30:00"));
    list.items.push_back(alarmItem("b", "14.03.2026", "16:00:00"));
    list.items.push_back(alarmItem("tomorrow", "15.03.2026", "09:00:00"));
    scanner.start(at("14:29:59", 500));
    // The machine was busy: the next tick comes three seconds late.
    EXPECT_EQ(actions(scanner.tick(list, at("14:30:02", 500))), QStringList{"a"});
    // Suspended until the next morning: what fell due in the gap rings on waking, once.
    EXPECT_EQ(actions(scanner.tick(list, at("10:00:00", 0, kDay.addDays(1)))),
              (QStringList{"b", "tomorrow"}));
    EXPECT_TRUE(scanner.tick(list, at("10:00:01", 0, kDay.addDays(1))).isEmpty());
}

TEST_F(AlarmScan, TwoTicksInOneSecondAndClockSetBackRingOnce)
{
    list.items.push_back(alarmItem("a", "14.03.2026", "14:30:00"));
    scanner.start(at("14:29:59", 900));
    EXPECT_EQ(scanner.tick(list, at("14:30:00", 100)).size(), 1);
    EXPECT_TRUE(scanner.tick(list, at("14:30:00", 800)).isEmpty());
    // The user sets the clock back a minute: the alarm has rung in this run and stays quiet.
    scanner.tick(list, at("14:29:30"));
    EXPECT_TRUE(run("14:29:31", "14:30:30").isEmpty());
}

TEST_F(AlarmScan, SkipsRowsThatCannotRingOneByOne)
{
    list.items.push_back(alarmItem("done", "14.03.2026", "14:30:00", true));
    list.items.push_back(alarmItem("no target", "", "14:30:00"));
    list.items.push_back(alarmItem("other day", "15.03.2026", "14:30:00"));
    list.items.push_back(alarmItem("unreadable", "next week", "14:30:00"));
    list.items.push_back(alarmItem("bad time", "14.03.2026", "half past two"));
    list.items.push_back(alarmItem("no time", "14.03.2026", ""));
    ToDoItem shortRow;
    shortRow.setAction("one value");
    shortRow.appendValue("1");
    list.items.push_back(shortRow);
    // Rows after an unreadable one are still examined.
    list.items.push_back(alarmItem("after them", "14.03.2026", "14:30:00"));
    scanner.start(at("14:29:59"));
    EXPECT_EQ(actions(scanner.tick(list, at("14:30:00", 1))), QStringList{"after them"});
}

TEST_F(AlarmScan, EditedAlarmRingsAgainAtItsNewTime)
{
    list.items.push_back(alarmItem("a", "14.03.2026", "14:30:00"));
    scanner.start(at("14:29:59"));
    EXPECT_EQ(scanner.tick(list, at("14:30:00")).size(), 1);
    list.items[0].setValue(ToDoItem::AlarmTime, "14:31:00");
    EXPECT_EQ(run("14:30:01", "14:31:30"), QStringList{"a"});
}

// A watched scanner reads the rows only when an alarm it saw ahead may be due or the rows changed, and
// still rings every alarm: one edited in place and one added (the owner names the rows), one added
// untold (the list grew), one edited after other rows left, one in a list changed as a whole.
TEST_F(AlarmScan, AWatchedScannerStillRingsWhatChanges)
{
    scanner.watchChanges();
    list.items.push_back(alarmItem("a", "14.03.2026", "14:30:00"));
    list.items.push_back(alarmItem("later", "14.03.2026", "15:00:00"));
    scanner.start(at("14:29:50"));
    EXPECT_EQ(run("14:29:51", "14:30:30"), QStringList{"a"});
    list.items[1].setValue(ToDoItem::AlarmTime, "14:32:00");
    scanner.rowsChanged(list, 1, 1);
    EXPECT_EQ(run("14:30:31", "14:33:00"), QStringList{"later"});
    list.items.push_back(alarmItem("added", "14.03.2026", "14:34:00"));
    scanner.rowsInserted(list, 2, 2);
    EXPECT_EQ(run("14:33:01", "14:35:00"), QStringList{"added"});
    list.items.push_back(alarmItem("untold", "14.03.2026", "14:36:00"));
    scanner.rowsChanged(list, 0, 0); // told after, it does not cover the row added untold
    EXPECT_EQ(run("14:35:01", "14:37:00"), QStringList{"untold"});

    list.items.push_back(alarmItem("far", "14.03.2026", "18:00:00"));
    scanner.rowsInserted(list, 4, 4);
    list.items.erase(list.items.begin(), list.items.begin() + 2);
    scanner.rowsRemoved(list, 0, 1);
    list.items[0].setValue(ToDoItem::AlarmTime, "14:38:00");
    scanner.rowsChanged(list, 0, 0);
    EXPECT_EQ(run("14:37:01", "14:39:00"), QStringList{"added"});
    list.items[2].setValue(ToDoItem::AlarmTime, "14:41:00");
    scanner.listsChanged();
    EXPECT_EQ(run("14:39:01", "14:42:00"), QStringList{"far"});
}

// Beyond one scan: two lists at once, snoozes, and the alarms missed while the program was not running.
TEST_F(AlarmScan, RemindersCoverTwoListsSnoozesAndMissedAlarms)
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("Quillmar.ini"));
    ToDoList standard;
    standard.items = {alarmItem("standard", "14.03.2026", "14:30:00"),
                      alarmItem("both", "14.03.2026", "14:31:00")};
    ToDoList shown;
    shown.items = {alarmItem("shown", "14.03.2026", "14:30:30"), alarmItem("both", "14.03.2026", "14:31:00")};
    const ToDoList* const lists[] = {&shown, &standard};

    Reminders reminders(storeIn(settings));
    reminders.scanner().start(at("14:00:00"));
    QStringList rang;
    auto tickAt = [&](const QString& hms) { rang << actions(reminders.tick(lists, at(hms))); };
    tickAt("14:30:00");
    tickAt("14:30:30");
    EXPECT_EQ(rang, (QStringList{"standard", "shown"}));
    // Killed seconds after they rang: the next start does not list them as missed.
    EXPECT_TRUE(Reminders(storeIn(settings)).missed(lists, at("14:30:40")).isEmpty());
    rang.clear();
    tickAt("14:31:00"); // one row in both lists rings once
    EXPECT_EQ(rang, QStringList{"both"});

    // Snoozed for 5 minutes: once again at 14:36, not before, not after.
    reminders.snooze({AlarmScanner::Alarm{1, "both", at("14:31:00")}}, 5, at("14:31:00"));
    rang.clear();
    for (const char* hms : {"14:31:10", "14:35:59", "14:36:00", "14:36:01", "14:50:00"}) {
        tickAt(QString::fromLatin1(hms));
        EXPECT_EQ(rang,
                  QString::fromLatin1(hms) < QLatin1String("14:36:00") ? QStringList() : QStringList{"both"})
            << hms;
    }

    // Quillmar ends at 14:50 and starts again at 16:00: what fell due in between shows once, with its time.
    reminders.saveLastScan(at("14:50:00"));
    ToDoList later;
    later.items = {alarmItem("at 15", "14.03.2026", "15:00:00"), alarmItem("at 17", "14.03.2026", "17:00:00"),
                   alarmItem("at 14:40", "14.03.2026", "14:40:00"),
                   alarmItem("done", "14.03.2026", "15:10:00", true)};
    const ToDoList* const laterLists[] = {&later};
    Reminders next(storeIn(settings));
    const auto missed = next.missed(laterLists, at("16:00:00"));
    EXPECT_EQ(actions(missed), QStringList{"at 15"});
    ASSERT_EQ(missed.size(), 1);
    EXPECT_EQ(missed.first().due, at("15:00:00"));
    EXPECT_TRUE(next.tick(laterLists, at("16:00:01")).isEmpty()); // not rung again by the timer
    EXPECT_TRUE(Reminders(storeIn(settings)).missed(laterLists, at("16:00:02")).isEmpty());

    // Never known to have run: today from midnight on, and at most a week back.
    QTemporaryDir fresh;
    ToDoList old;
    old.items = {alarmItem("yesterday", "13.03.2026", "15:00:00"),
                 alarmItem("this morning", "14.03.2026", "08:00:00")};
    const ToDoList* const oldLists[] = {&old};
    EXPECT_EQ(
        actions(Reminders(storeIn(fresh.filePath(QStringLiteral("q.ini")))).missed(oldLists, at("09:00:00"))),
        QStringList{"this morning"});

    // Last run ten days ago: no more than kMissedDays back.
    QString kept = at("09:00:00", 0, kDay.addDays(-10)).toString(Qt::ISODate);
    ToDoList longAgo;
    longAgo.items = {alarmItem("nine days", "05.03.2026", "09:00:00"),
                     alarmItem("six days", "08.03.2026", "09:00:00")};
    const ToDoList* const longAgoLists[] = {&longAgo};
    Reminders week({[&] { return kept; }, [&](const QString& t) { kept = t; }});
    EXPECT_EQ(actions(week.missed(longAgoLists, at("09:00:00"))), QStringList{"six days"});
    EXPECT_EQ(kept, at("09:00:00").toString(Qt::ISODate));
}
