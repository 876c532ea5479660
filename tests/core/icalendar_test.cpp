// The iCalendar export: how items become to-dos (libical reading every export is icalendar_exchange_test,
// the program's output read back by Python's parser icalendar_python_test).
#include "exchange/ICalendarExport.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include <gtest/gtest.h>

namespace {
// The content lines of a file, unfolded.
QList<QByteArray> unfolded(const QByteArray& file)
{
    QByteArray joined = file;
    joined.replace("\r\n ", "");
    QList<QByteArray> lines = joined.split('\n');
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

// The values of the properties of each VTODO, by name (with parameters), in file order.
QList<QMap<QByteArray, QByteArray>> todos(const QByteArray& file)
{
    QList<QMap<QByteArray, QByteArray>> out;
    bool inAlarm = false;
    for (const QByteArray& line : unfolded(file)) {
        const qsizetype colon = line.indexOf(':');
        const QByteArray name = line.left(colon);
        const QByteArray value = line.mid(colon + 1);
        if (line == "BEGIN:VTODO")
            out.append(QMap<QByteArray, QByteArray>());
        else if (line == "BEGIN:VALARM")
            inAlarm = true;
        else if (line == "END:VALARM")
            inAlarm = false;
        else if (!out.isEmpty() && line != "END:VTODO")
            out.last()[inAlarm ? "VALARM/" + name : name] = value;
    }
    return out;
}

ToDoItem row(const char* action, std::initializer_list<const char*> values, bool checked = false)
{
    ToDoItem item = ToDoItem::make(action, checked);
    int k = 0;
    for (const char* v : values)
        item.setValue(k++, v);
    return item;
}

class ICalendarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CodePage::setCurrent(CodePage::Kind::Windows1252);
        Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
    }
    const QDateTime stamp{QDate(2026, 3, 14), QTime(9, 30), Qt::UTC};
};
} // namespace

TEST_F(ICalendarTest, ItemsBecomeToDosWithTheirValuesAndAStableUid)
{
    ToDoList list;
    list.items.push_back(row(
        "Call, then \"write\"",
        {"9", "01.03.2026", "20.03.2026", "two\r\nlines", "Bob", "Q3", "14:30:00", "/home/anna/plan a.odt"},
        true));
    list.items.push_back(row("Same", {"5", "02.03.2026"}));
    list.items.push_back(row("Same", {"1", "02.03.2026", "", "", "", "", "14:30:00"}));
    list.items.push_back(row("No values", {}));
    list.items.push_back(row("Unreadable", {"x", "soon", "later"}));
    const QByteArray file = ListToICalendar(list, stamp);
    const auto all = todos(file);
    ASSERT_EQ(all.size(), 5);

    const auto& first = all[0];
    EXPECT_EQ(first["SUMMARY"], "Call\\, then \"write\"");
    EXPECT_EQ(first["DESCRIPTION"], "two\\nlines");
    EXPECT_EQ(first["DUE;VALUE=DATE"], "20260320");
    EXPECT_EQ(first["CREATED"], "20260301T000000Z"); // the tests run in UTC
    EXPECT_EQ(first["DTSTAMP"], "20260314T093000Z");
    EXPECT_EQ(first["PRIORITY"], "1");
    EXPECT_EQ(first["CATEGORIES"], "Q3");
    EXPECT_EQ(first["CONTACT"], "Bob");
    EXPECT_EQ(first["ATTACH"], "file:///home/anna/plan%20a.odt");
    EXPECT_EQ(first["STATUS"], "COMPLETED");
    EXPECT_EQ(first["VALARM/ACTION"], "DISPLAY");
    EXPECT_EQ(first["VALARM/TRIGGER;VALUE=DATE-TIME"], "20260320T143000Z");

    EXPECT_EQ(all[1]["PRIORITY"], "5");
    EXPECT_EQ(all[1]["STATUS"], "NEEDS-ACTION");
    EXPECT_EQ(all[2]["PRIORITY"], "9");
    // An alarm needs its day.
    EXPECT_FALSE(all[2].contains("VALARM/TRIGGER;VALUE=DATE-TIME"));
    for (int i : {3, 4}) {
        for (const char* absent : {"PRIORITY", "DUE;VALUE=DATE", "CREATED", "DESCRIPTION", "ATTACH"})
            EXPECT_FALSE(all[i].contains(absent)) << i << absent;
    }

    // Unique within the file, and the same for the same item in another order or with other values.
    QSet<QByteArray> uids;
    for (const auto& todo : all)
        uids.insert(todo["UID"]);
    EXPECT_EQ(uids.size(), 5);
    ToDoList changed = list;
    std::swap(changed.items[0], changed.items[3]);
    changed.items[3].setValue(ToDoItem::Remarks, "edited");
    changed.items[3].setChecked(false);
    const auto again = todos(ListToICalendar(changed, stamp));
    EXPECT_EQ(again[3]["UID"], first["UID"]);
    EXPECT_EQ(again[1]["UID"], all[1]["UID"]);
    EXPECT_EQ(again[2]["UID"], all[2]["UID"]);
}
