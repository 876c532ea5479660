// To-dos written by a calendar library that is not ours, Python's icalendar (Debian package
// python3-icalendar), imported as a vdir: one file per to-do. A missing module fails the test.
#include "config/IoMessage.h"
#include "exchange/ICalendarImport.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
const char* kWriter = R"(
import sys, datetime, icalendar
utc = datetime.timezone.utc
def save(name, todo):
    cal = icalendar.Calendar()
    cal.add('prodid', '-//Python icalendar test//EN')
    cal.add('version', '2.0')
    cal.add_component(todo)
    open(sys.argv[1] + '/' + name, 'wb').write(cal.to_ical())
def todo(uid):
    t = icalendar.Todo()
    t.add('uid', uid)
    t.add('dtstamp', datetime.datetime(2026, 1, 1, tzinfo=utc))
    return t

a = todo('a@python')
a.add('summary', sys.argv[2])
a.add('description', 'line 1\nline 2')
a.add('due', datetime.datetime(2026, 3, 20, 16, 30, tzinfo=utc))
a.add('created', datetime.datetime(2026, 3, 1, 8, 0, tzinfo=utc))
a.add('priority', 1)
a.add('categories', ['Work', 'Q3'])
a.add('contact', 'Anna')
a.add('attach', 'file:///home/anna/plan%20a.odt')
alarm = icalendar.Alarm()
alarm.add('action', 'DISPLAY')
alarm.add('description', 'soon')
alarm.add('trigger', datetime.timedelta(minutes=-30), parameters={'RELATED': 'END'})
a.add_component(alarm)
save('a.ics', a)

b = todo('b@python')
b.add('summary', 'Weekly')
b.add('dtstart', datetime.date(2026, 3, 2))
b.add('due', datetime.date(2026, 3, 9))
b.add('percent-complete', 100)
b.add('rrule', {'freq': 'weekly'})
b.add('related-to', 'a@python')
b.add('attach', 'https://example.org/brief')
b.add('attach', icalendar.vBinary(b'inline bytes'))
for minutes in (-10, -20):
    al = icalendar.Alarm()
    al.add('action', 'DISPLAY')
    al.add('description', 'x')
    al.add('trigger', datetime.timedelta(minutes=minutes))
    b.add_component(al)
save('b.ics', b)
)";

QString writeWithPython(const QString& folder, const QString& summary)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"), QString::fromUtf8(kWriter), folder, summary});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("python3 with icalendar (Debian: python3-icalendar) failed: ") +
               QString::fromLocal8Bit(p.readAllStandardError()) + p.errorString();
    return {};
}
} // namespace

TEST(ICalendarFromPython, VTodoFilesBecomeItemsAndWhatTheListCannotHoldIsNamed)
{
    CodePage::setCurrent(CodePage::Kind::Utf8);
    Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
    QTemporaryDir dir;
    const QString summary = QString::fromUtf8("Écrire, \"vite\"; ok");
    const QString failed = writeWithPython(dir.path(), summary);
    ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();

    ICalendarImport import;
    ASSERT_TRUE(ReadICalendar(dir.path(), import).ok);
    ASSERT_EQ(import.items.size(), 2u);
    struct Expected
    {
        const char* action;
        bool checked;
        std::array<const char*, ToDoItem::ColumnCount> values;
    };
    const Expected expected[] = {
        {"Écrire, \"vite\"; ok",
         false,
         {"9", "01.03.2026 08:00:00", "20.03.2026 16:30:00", "line 1\r\nline 2", "Anna", "Work, Q3",
          "16:00:00", "/home/anna/plan a.odt"}},
        // Its alarms ring on days before the Target: the list cannot hold them.
        {"Weekly", true, {"", "02.03.2026", "09.03.2026", "", "", "", "", "https://example.org/brief"}},
    };
    for (size_t i = 0; i < 2; ++i) {
        const ToDoItem& item = import.items[i];
        EXPECT_EQ(item.actionText(), QString::fromUtf8(expected[i].action)) << i;
        EXPECT_EQ(item.checked(), expected[i].checked) << i;
        for (int k = 0; k < ToDoItem::ColumnCount; ++k)
            EXPECT_EQ(item.valueText(k), QString::fromUtf8(expected[i].values[size_t(k)]))
                << i << " column " << k;
    }
    EXPECT_EQ(
        ICalendarImportSummary(QStringLiteral("todos"), import),
        QStringLiteral("Imported 2 items from todos; the list cannot hold their repeat rules (1), sub-task "
                       "links (1), attachments (1), alarms other than one on the due day (2)"));

    // A text the list's code page cannot hold refuses the whole folder.
    ASSERT_TRUE(writeWithPython(dir.path(), QString::fromUtf8("会议")).isEmpty());
    CodePage::setCurrent(CodePage::Kind::Windows1252);
    ICalendarImport refused;
    const IoResult r = ReadICalendar(dir.path(), refused);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(IoMessage(r).contains(QStringLiteral("nothing was imported"))) << IoMessage(r).toStdString();
    EXPECT_TRUE(refused.items.empty());
}
