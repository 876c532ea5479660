// The calendar's window-free rules: month arithmetic, cell lines and the page's entries.
#include "calendar/CalendarCells.h"
#include "calendar/CalendarEntries.h"
#include "calendar/CalendarLayout.h"
#include "calendar/CalendarMonth.h"
#include "platform/Clock.h"
#include "platform/Regional.h"

#include <gtest/gtest.h>

namespace {
CalendarMonth monthOf(int year, int month, int day, int startOfWeek = 0)
{
    CalendarMonth m;
    m.setStartOfWeek(startOfWeek);
    m.setCalendarDate(QDateTime(QDate(year, month, day), QTime(0, 0)));
    m.update();
    return m;
}

class CalendarRules : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Regional::useLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
        Clock::setNow(QDateTime(QDate(2026, 3, 14), QTime(9, 0)));
    }
};
} // namespace

TEST_F(CalendarRules, FirstOfTheMonthLandsInRowOneForBothWeekStarts)
{
    struct Case
    {
        int year, month, startOfWeek, offset, firstColumn;
        const char* header0;
    };
    const Case cases[] = {
        {2026, 3, 0, 1, 0, "Sun"},  // first is a Sunday
        {2026, 8, 0, -5, 6, "Sun"}, // first is a Saturday
        {2026, 3, 1, -5, 6, "Mon"}, // Sunday first, Monday week
        {2026, 12, 1, 0, 1, "Mon"}, // Tuesday first
        {2027, 5, 1, -4, 5, "Mon"}, // Saturday first
    };
    for (const Case& c : cases) {
        const CalendarMonth m = monthOf(c.year, c.month, 1, c.startOfWeek);
        SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << " week from " << c.startOfWeek);
        EXPECT_EQ(m.MonthOffset(), c.offset);
        EXPECT_EQ(m.cellOfDay(1), QPoint(c.firstColumn, 1));
        EXPECT_EQ(m.CellText(c.firstColumn, 1), QStringLiteral("1"));
        EXPECT_EQ(m.CellText(0, 0), QString::fromLatin1(c.header0));
        // Every day's cell shows that day, and no cell outside the month shows a number.
        int shown = 0;
        for (int row = 1; row < 7; ++row)
            for (int col = 0; col < 7; ++col)
                if (const int day = m.dayOfCell(col, row)) {
                    ++shown;
                    EXPECT_EQ(m.cellOfDay(day), QPoint(col, row));
                }
        EXPECT_EQ(shown, m.DaysThisMonth());
    }
}

TEST_F(CalendarRules, MonthNavigationClampsTheDay)
{
    struct Case
    {
        QDate from;
        bool next;
        QDate to;
    };
    const Case cases[] = {
        {QDate(2026, 1, 31), true, QDate(2026, 2, 28)},   {QDate(2028, 1, 31), true, QDate(2028, 2, 29)},
        {QDate(2026, 1, 15), false, QDate(2025, 12, 15)}, {QDate(2026, 12, 31), true, QDate(2027, 1, 31)},
        {QDate(2026, 3, 31), false, QDate(2026, 2, 28)},  {QDate(1900, 1, 31), true, QDate(1900, 2, 28)},
        {QDate(2000, 3, 31), false, QDate(2000, 2, 29)},  {QDate(2100, 1, 31), true, QDate(2100, 2, 28)},
    };
    for (const Case& c : cases) {
        CalendarMonth m = monthOf(c.from.year(), c.from.month(), c.from.day());
        c.next ? m.NextMonth() : m.PrevMonth();
        EXPECT_EQ(m.date(), c.to) << c.from.toString(Qt::ISODate).toStdString();
    }
}

TEST_F(CalendarRules, InvalidOrUnchangedDatePartsAreIgnored)
{
    CalendarMonth m = monthOf(2026, 4, 10);
    const QDate before = m.date();
    EXPECT_FALSE(m.setDay(31));
    EXPECT_FALSE(m.setDay(0));
    EXPECT_FALSE(m.setDay(10));
    EXPECT_FALSE(m.setMonth(13));
    EXPECT_FALSE(m.setMonth(-1));
    EXPECT_FALSE(m.setMonth(4));
    EXPECT_FALSE(m.setYear(0));
    EXPECT_FALSE(m.setYear(2026));
    EXPECT_FALSE(m.setCalendarDate(QDateTime()));
    EXPECT_EQ(m.date(), before);
    // A valid part drops the time of day.
    m.setCalendarDate(QDateTime(QDate(2026, 5, 31), QTime(15, 30)));
    EXPECT_TRUE(m.setMonth(6));
    EXPECT_EQ(m.CalendarDate(), QDateTime(QDate(2026, 6, 30), QTime(0, 0)));
}

TEST_F(CalendarRules, SelectionCheck)
{
    CalendarMonth m = monthOf(2026, 3, 10, 1); // Monday week; 1 March (Sunday) sits in column 6
    EXPECT_TRUE(m.canSelect(0, 2));
    EXPECT_FALSE(m.canSelect(0, 1)); // blank cell
    EXPECT_FALSE(m.canSelect(3, 0)); // a day name is no day
    m.setBlockWeekends(true);
    EXPECT_FALSE(m.canSelect(0, 2));
    EXPECT_FALSE(m.canSelect(6, 1));
    EXPECT_TRUE(m.canSelect(3, 2));
    // A blocked day leaves the current cell where it was, also when the update asks for it.
    const QPoint before = m.currentCell();
    EXPECT_FALSE(m.moveCurrent(6, 2));
    m.setCalendarDate(QDateTime(QDate(2026, 3, 15), QTime(0, 0)));
    m.update();
    EXPECT_EQ(m.currentCell(), before);
    m.setBlockWeekends(false);
    m.setReadOnly(true);
    EXPECT_FALSE(m.canSelect(3, 2));
    m.setUpdating(true);
    EXPECT_TRUE(m.canSelect(3, 2));
}

// A day cell's lines: line i at 13 x (i + 1) shows while 13 fits into what is left below it; a day that
// cannot show them all shows whole entries and gives its last place to the count of those it hides.
TEST(CalendarCellLines, WholeLinesAndTheCountOfTheRest)
{
    const struct
    {
        int cellHeight, lines, drawn, hidden;
    } cases[] = {
        {34, 1, 1, 0},  // the second line would start 26 pixels down: one place
        {39, 2, 2, 0},  // exactly fits, no pixel to spare needed
        {38, 2, 0, 1},  // one place left: it counts the entry
        {65, 6, 3, 1},  // four places: one entry whole, one counted
        {100, 9, 3, 2}, // six places: one entry, and the count of two
        {12, 3, 0, 0},  // not even the day number's line: nothing
    };
    for (const auto& c : cases) {
        const CalendarLayout::CellLines shown = CalendarLayout::cellLines(c.cellHeight, 13, c.lines, 3);
        EXPECT_EQ(shown.drawn, c.drawn) << c.cellHeight;
        EXPECT_EQ(shown.hiddenEntries, c.hidden) << c.cellHeight;
    }
}

TEST_F(CalendarRules, KeyboardStepsCrossMonthsButNotBlockedDays)
{
    CalendarMonth m = monthOf(2026, 3, 31, 1);
    EXPECT_TRUE(m.stepDays(1));
    EXPECT_EQ(m.date(), QDate(2026, 4, 1));
    EXPECT_TRUE(m.stepDays(-7));
    EXPECT_EQ(m.date(), QDate(2026, 3, 25));
    m.setBlockWeekends(true);
    EXPECT_FALSE(m.stepDays(4)); // Sunday 29 March, column 6
    EXPECT_EQ(m.date(), QDate(2026, 3, 25));
    m.setBlockWeekends(false);
    m.setReadOnly(true);
    EXPECT_FALSE(m.stepDays(1));
}

TEST_F(CalendarRules, AddStringFindsTheDaysCell)
{
    const CalendarMonth m = monthOf(2026, 3, 10, 1);
    CalendarCells cells;
    EXPECT_TRUE(cells.AddString(m, 0, 0, QStringLiteral("tenth"), 10));
    ASSERT_EQ(m.cellOfDay(10), QPoint(1, 3));
    ASSERT_NE(cells.CellStrings(1, 3), nullptr);
    EXPECT_EQ(*cells.CellStrings(1, 3), QStringList{QStringLiteral("tenth")});
    // Day 0 keeps the given cell, the header one included; a day the month lacks does too.
    EXPECT_TRUE(cells.AddString(m, 0, 0, QStringLiteral("header"), 0));
    EXPECT_TRUE(cells.AddString(m, 2, 3, QStringLiteral("kept"), 32));
    EXPECT_EQ(*cells.CellStrings(0, 0), QStringList{QStringLiteral("header")});
    EXPECT_EQ(*cells.CellStrings(2, 3), QStringList{QStringLiteral("kept")});
    // Blank cells, updating and read-only calendars take nothing.
    EXPECT_FALSE(cells.AddString(m, 0, 1, QStringLiteral("blank"), 0));
    CalendarMonth busy = m;
    busy.setUpdating(true);
    EXPECT_FALSE(cells.AddString(busy, 0, 0, QStringLiteral("x"), 10));
    busy.setUpdating(false);
    busy.setReadOnly(true);
    EXPECT_FALSE(cells.AddString(busy, 0, 0, QStringLiteral("x"), 10));
    EXPECT_EQ(cells.CellStrings(1, 3)->size(), 1);
    EXPECT_EQ(cells.CellStrings(0, 1), nullptr);
    cells.ClearStrings();
    EXPECT_EQ(cells.CellStrings(1, 3), nullptr);
}

TEST_F(CalendarRules, RangeIsShownOnlyWhenItSpansDaysForwards)
{
    const QDate a(2026, 3, 3), b(2026, 3, 10);
    EXPECT_TRUE(CalendarMonth::rangeCovers(a, b, a));
    EXPECT_TRUE(CalendarMonth::rangeCovers(a, b, QDate(2026, 3, 7)));
    EXPECT_TRUE(CalendarMonth::rangeCovers(a, b, b));
    EXPECT_FALSE(CalendarMonth::rangeCovers(a, b, b.addDays(1)));
    EXPECT_FALSE(CalendarMonth::rangeCovers(a, a, a));
    EXPECT_FALSE(CalendarMonth::rangeCovers(b, a, QDate(2026, 3, 7)));
}

TEST_F(CalendarRules, EntryLinesNameTheirRow)
{
    ToDoItem item = ToDoItem::make("Buy stamps");
    item.setValue(ToDoItem::AlarmTime, "14:30:00");
    QStringList lines;
    CalendarEntries::appendLines(lines, item, 3, CalendarEntries::Kind::Target,
                                 CalendarEntries::currentCaptions());
    EXPECT_EQ(lines, (QStringList{QStringLiteral("<3>Target"), QStringLiteral("<Alarm Time>14:30:00"),
                                  QStringLiteral("Buy stamps")}));
    EXPECT_EQ(CalendarEntries::ItemIndexFromLine(u"<3>Target"), 3);
    EXPECT_EQ(CalendarEntries::ItemIndexFromLine(u"<120>Date In \"x\""), 120);
    for (const char16_t* other : {u"<Alarm Time>14:30", u"Buy stamps", u"<>Target", u"<-1>Target", u""})
        EXPECT_EQ(CalendarEntries::ItemIndexFromLine(other), std::nullopt);
    EXPECT_EQ(CalendarEntries::popupCaption(QStringLiteral("<3>Target"), QStringLiteral("Buy stamps")),
              QStringLiteral("<3>Target \"Buy stamps\""));
    // 30 characters with the opening quote: a long Action loses its closing quote.
    EXPECT_EQ(CalendarEntries::popupCaption(QStringLiteral("<0>Date In"), QString(40, QLatin1Char('a'))),
              QStringLiteral("<0>Date In \"") + QString(29, QLatin1Char('a')));
}

TEST_F(CalendarRules, EntriesOfAMonthInListOrderTargetFirst)
{
    auto row = [](const char* action, const char* dateIn, const char* target, bool checked = false) {
        ToDoItem it = ToDoItem::make(action, checked);
        it.setValue(ToDoItem::DateIn, dateIn);
        it.setValue(ToDoItem::Target, target);
        return it;
    };
    ToDoList list;
    list.items = {
        row("span", "03.03.2026", "10.03.2026"),        row("done", "05.03.2026", "05.03.2026", true),
        row("same day", "12.03.2026", "12.03.2026"),    row("bad", "31.02.2026", "20.03.2026"),
        row("other month", "12.03.2026", "02.04.2026"), row("empty", "", "")};
    QStringList seen;
    CalendarEntries::forEachEntry(list, 2026, 3, [&](int r, CalendarEntries::Kind kind, int day) {
        seen << QStringLiteral("%1%2@%3")
                    .arg(r)
                    .arg(kind == CalendarEntries::Kind::Target ? 'T' : 'D')
                    .arg(day);
    });
    EXPECT_EQ(seen, (QStringList{QStringLiteral("0T@10"), QStringLiteral("0D@3"), QStringLiteral("2T@12"),
                                 QStringLiteral("2D@12"), QStringLiteral("3T@20"), QStringLiteral("4D@12")}));
}
