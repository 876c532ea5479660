// The iCalendar export and import: how items become to-dos, libical (the import's own reader) reading every
// export without an error, the export read back by the import, and the vdir export's per-file checks. The
// program's output read by Python's parser: icalendar_python_test.
#include "exchange/ICalendarExport.h"
#include "exchange/ICalendarImport.h"
#include "exchange/ICalendarValues.h"
#include "model/ItemStatus.h"
#include "model/ListFile.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include "TestUtil.h"

#include <QDir>
#include <QRandomGenerator>

#include <QTemporaryDir>

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

// The X-LIC-ERROR properties libical adds where it cannot read something; -1 when it reads no calendar.
int libicalErrors(const QByteArray& text)
{
    ICalendarComponent root(icalparser_parse_string(text.constData()));
    return root ? icalcomponent_count_errors(root.get()) : -1;
}

ToDoItem row(const QString& action, std::initializer_list<const char*> values, bool checked = false)
{
    ToDoItem item = ToDoItem::make(CodePage::encode(action).bytes, checked);
    int k = 0;
    for (const char* v : values)
        item.setValue(k++, CodePage::encode(QString::fromUtf8(v)).bytes);
    return item;
}

// A text as it comes back: line breaks as the import writes them, without the blanks around it, which
// libical's reader trims.
QByteArray cameBack(QByteArray text)
{
    text.replace("\r\n", "\n").replace('\r', '\n').replace("\n", "\r\n");
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.isEmpty() && blank(text.front()))
        text.remove(0, 1);
    while (!text.isEmpty() && blank(text.back()))
        text.chop(1);
    return text;
}

class ICalendarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CodePage::setCurrent(CodePage::Kind::Utf8);
        Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
    }
    void TearDown() override { CodePage::setCurrent(CodePage::Kind::Windows1252); }
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

    // The values themselves, read by another parser: icalendar_python_test. Here the priority scale turned
    // round, the alarm without a day, the rows without values, and the UIDs.
    const auto& first = all[0];
    EXPECT_EQ(first["DTSTAMP"], "20260314T093000Z");
    EXPECT_EQ(first["PRIORITY"], "1");
    EXPECT_EQ(all[1]["PRIORITY"], "5");
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
    // And the same from one version to the next: calendars and sync states hold them.
    EXPECT_EQ(all[1]["UID"], "7c113b62831c63641a8da357b13c33d0@quillmar");
    EXPECT_EQ(all[2]["UID"], "b29d46b728949985d4e67b5e0e41f20d@quillmar");
}

TEST_F(ICalendarTest, LibicalReadsEveryExportWithoutAnError)
{
    ToDoList list;
    // Each row is a case the earlier writer got wrong or that is easy to get wrong.
    list.items.push_back(row(QString(), {"3", "01.03.2026 08:15:00", "20.03.2026 17:45:00"}));
    list.items.push_back(
        row(QStringLiteral("\x01\x02"), {"", "", "", "\x7f", "", "", "10:00:00", "notes/plan.odt"}));
    list.items.push_back(row(QStringLiteral("Link"), {"", "", "20.03.2026", "", "", "a, b; c\\d", "09:00:00",
                                                      "https://example.org/a b?x=1"}));
    list.items.push_back(
        row(QString::fromUtf8("Крайний срок 締め切り 😀").repeated(5),
            {"12", "soon", "later", "one\rtwo\r\nthree\nfour\tfive", "Анна", "", "", "/tmp/ü x"}));
    const QByteArray longPath = "/home/anna/" + QByteArray("plans/").repeated(15) + "offer.pdf";
    list.items.push_back(
        row(QStringLiteral("Long path"), {"", "", "", "", "", "", "", longPath.constData()}));
    const QByteArray whole = ListToICalendar(list, stamp);
    EXPECT_EQ(libicalErrors(whole), 0) << whole.constData();
    const std::vector<ICalendarToDoFile> files = ListToICalendarFiles(list, stamp);
    ASSERT_EQ(files.size(), list.items.size());
    for (const ICalendarToDoFile& f : files)
        EXPECT_EQ(libicalErrors(f.text), 0) << f.text.constData();

    const auto all = todos(whole);
    // An empty action gives no SUMMARY at all; a relative path means nothing elsewhere, a URL stays a URL,
    // a path becomes a file: URI.
    EXPECT_FALSE(all[0].contains("SUMMARY"));
    EXPECT_EQ(all[0]["DUE"], "20260320T174500Z");
    EXPECT_EQ(all[0]["CREATED"], "20260301T081500Z");
    EXPECT_FALSE(all[1].contains("ATTACH"));
    EXPECT_EQ(all[2]["ATTACH"], "https://example.org/a%20b?x=1");
    EXPECT_EQ(all[3]["ATTACH"], "file:///tmp/%C3%BC%20x");
    EXPECT_EQ(all[4]["ATTACH"], "file://" + longPath);
    for (const QByteArray& line : whole.split('\n')) {
        EXPECT_LE(line.size(), 76) << line.constData();                      // 75 octets and the CR
        EXPECT_EQ(CodePage::firstInvalidUtf8(line), -1) << line.constData(); // no character cut in two
    }

    // Commas in a project separate categories; written as usual ("a, b") the project comes back whole.
    ICalendarImport back;
    ASSERT_TRUE(ICalendarToItems(whole, back, QStringLiteral("x.ics")).ok);
    ASSERT_EQ(back.items.size(), 5u);
    EXPECT_EQ(back.items[2].value(ToDoItem::ProjectName), "a, b; c\\d");
    // The time of day leaves the status to the date.
    EXPECT_EQ(ItemStatusOf(back.items[0], QDate(2026, 3, 20)), ItemStatus::Today);
    EXPECT_EQ(ItemStatusOf(back.items[0], QDate(2026, 3, 21)), ItemStatus::Overdue);
    EXPECT_EQ(ItemStatusOf(back.items[0], QDate(2026, 3, 19)), ItemStatus::Pending);
}

TEST_F(ICalendarTest, RandomItemsComeBackThroughTheImport)
{
    const QString pool = QString::fromUtf8("aZ09 ,;:\\\"'\t\r\n\r\näß€Ωλ中文😀");
    for (quint32 seed = 1; seed <= 20; ++seed) {
        QRandomGenerator random(seed);
        const auto text = [&](int most) {
            QString t;
            for (int n = int(random.bounded(most + 1)); n > 0; --n) {
                const int i = int(random.bounded(pool.size()));
                // The emoji is a surrogate pair: take both halves.
                t += pool[i].isSurrogate() ? QString::fromUtf8("😀") : QString(pool[i]);
            }
            return t;
        };
        const auto date = [&](bool withTime) {
            const QDateTime moment(QDate(2020, 1, 1).addDays(random.bounded(3000)),
                                   withTime ? QTime(int(random.bounded(1, 24)), int(random.bounded(60)), 0)
                                            : QTime(0, 0));
            return withTime ? Regional::dateTimeToText(moment) : Regional::dateToText(moment.date());
        };
        ToDoList list;
        for (int i = 0; i < 10; ++i) {
            ToDoItem item = ToDoItem::make(CodePage::encode(text(40)).bytes, random.bounded(2) == 1);
            const bool target = random.bounded(3) > 0;
            item.setValue(ToDoItem::Priority,
                          random.bounded(2) ? QByteArray::number(random.bounded(1, 10)) : "");
            item.setValue(ToDoItem::DateIn, date(random.bounded(2)).toUtf8());
            item.setValue(ToDoItem::Target, target ? date(random.bounded(2)).toUtf8() : QByteArray());
            item.setValue(ToDoItem::Remarks, CodePage::encode(text(80)).bytes);
            item.setValue(ToDoItem::Owner, CodePage::encode(text(10)).bytes);
            // Commas separate categories: a project with them is the next test's.
            item.setValue(ToDoItem::ProjectName, CodePage::encode(text(10).remove(QLatin1Char(','))).bytes);
            item.setValue(ToDoItem::AlarmTime, target && random.bounded(2) ? "07:05:00" : "");
            item.setValue(ToDoItem::FileLocation,
                          random.bounded(2)
                              ? CodePage::encode(QStringLiteral("/srv/") +
                                                 text(8).remove(QLatin1Char('\r')).remove(QLatin1Char('\n')))
                                    .bytes
                              : QByteArray());
            list.items.push_back(item);
        }
        const QByteArray file = ListToICalendar(list, stamp);
        ASSERT_EQ(libicalErrors(file), 0) << "seed " << seed << file.constData();
        ICalendarImport back;
        ASSERT_TRUE(ICalendarToItems(file, back, QStringLiteral("seed.ics")).ok) << "seed " << seed;
        ASSERT_EQ(back.items.size(), list.items.size()) << "seed " << seed;
        for (size_t i = 0; i < list.items.size(); ++i) {
            const ToDoItem& in = list.items[i];
            const ToDoItem& out = back.items[i];
            EXPECT_EQ(out.checked(), in.checked()) << "seed " << seed << " item " << i;
            EXPECT_EQ(out.action(), cameBack(in.action().toByteArray())) << "seed " << seed << " item " << i;
            for (int k = 0; k < ToDoItem::ColumnCount; ++k) {
                const QByteArray expected =
                    k == ToDoItem::Priority ? in.value(k).toByteArray() : cameBack(in.value(k).toByteArray());
                EXPECT_EQ(out.value(k), expected) << "seed " << seed << " item " << i << " column " << k;
            }
        }
    }
}

TEST_F(ICalendarTest, FolderExportChecksEveryFileFirstAndNeverWritesOverAList)
{
    testutil::TempDataFolder data;
    ToDoList list;
    list.items.push_back(row(QStringLiteral("one"), {}));
    list.items.push_back(row(QStringLiteral("two"), {}));
    const QString folder = data.dir.filePath(QStringLiteral("vdir"));
    int written = 0;
    ASSERT_TRUE(WriteICalendarFolder(folder, list, stamp, &written).ok);
    EXPECT_EQ(written, 2);
    const std::vector<ICalendarToDoFile> files = ListToICalendarFiles(list, stamp);
    for (const ICalendarToDoFile& f : files)
        EXPECT_EQ(testutil::readAll(QDir(folder).filePath(QString::fromLatin1(f.uid) + ".ics")), f.text);

    // A list saved under the second to-do's name: nothing at all is written, the list stays.
    const QString second = QDir(folder).filePath(QString::fromLatin1(files[1].uid) + ".ics");
    ASSERT_TRUE(SaveListFile(list, second).ok);
    const QByteArray listBytes = testutil::readAll(second);
    const QString first = QDir(folder).filePath(QString::fromLatin1(files[0].uid) + ".ics");
    QFile::remove(first);
    EXPECT_FALSE(WriteICalendarFolder(folder, list, stamp).ok);
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_EQ(testutil::readAll(second), listBytes);

    // A link in a to-do's place (to another program's settings, say) is replaced, not written through.
    QTemporaryDir elsewhere;
    const QString settings = elsewhere.filePath(QStringLiteral("Quillmar.ini"));
    testutil::writeAll(settings, "[Colors]\n");
    QFile::remove(second);
    ASSERT_TRUE(QFile::link(settings, second));
    ASSERT_TRUE(WriteICalendarFolder(folder, list, stamp).ok);
    EXPECT_EQ(testutil::readAll(settings), QByteArray("[Colors]\n"));
    EXPECT_FALSE(QFileInfo(second).isSymLink());
}
