// The program's --export-ics output read back by a standard iCalendar parser that is not ours: Python's
// icalendar (Debian package python3-icalendar). A missing module fails the test.
#include "model/ListFile.h"
#include "platform/CodePage.h"

#include "TestUtil.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(ICalendarThroughPython, ProgramOutputReadsBackInACalendarParser)
{
    const QString python = QStringLiteral("/usr/bin/python3");
    if (QProcess::execute(python, {QStringLiteral("-c"), QStringLiteral("import icalendar")}) != 0)
        FAIL() << "Python's icalendar module is missing (Debian package python3-icalendar)";
    ASSERT_FALSE(testutil::quillmarBin().isEmpty()) << "QUILLMAR_BIN does not name the built program";

    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data"));
    ASSERT_TRUE(QDir().mkdir(data));
    const QString listFile = dir.filePath(QStringLiteral("plan.tdx"));
    const QString out = dir.filePath(QStringLiteral("plan.ics"));
    // The program runs in the C locale: dates as yyyy-MM-dd, texts in Windows-1252.
    CodePage::setCurrent(CodePage::Kind::Windows1252);
    auto text = [](const char* utf8) { return CodePage::encodeLossy(QString::fromUtf8(utf8)); };
    ToDoList list;
    const QString longText = QString::fromUtf8("Très long, with; all \\ escapes ").repeated(6);
    ToDoItem called = ToDoItem::make(text("Ruf Müller an, dann \"schreib\""), true);
    int k = 0;
    for (const char* v :
         {"8", "2026-03-01", "2026-03-20", "two\r\nlines; and, more", "Bob", "Q3; review", "14:30:00", ""})
        called.setValue(k++, text(v));
    list.items.push_back(called);
    ToDoItem later = ToDoItem::make(CodePage::encodeLossy(longText));
    later.setValue(ToDoItem::Target, "2026-04-01");
    list.items.push_back(later);
    ASSERT_TRUE(SaveListFile(list, listFile));

    const testutil::Outcome run = testutil::runQuillmar(
        {QStringLiteral("--data-dir"), data, QStringLiteral("--export-ics"), out, listFile});
    ASSERT_EQ(run.status, 0) << run.err.constData();

    const char* script = R"(
import sys, json, icalendar
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
out = []
for c in cal.walk('VTODO'):
    d = {k: str(c[k]) for k in ('UID', 'DTSTAMP', 'SUMMARY', 'STATUS') if k in c}
    if 'DESCRIPTION' in c: d['DESCRIPTION'] = str(c['DESCRIPTION'])
    if 'DUE' in c: d['DUE'] = c.decoded('DUE').isoformat()
    if 'CREATED' in c: d['CREATED'] = c.decoded('CREATED').isoformat()
    if 'PRIORITY' in c: d['PRIORITY'] = int(c['PRIORITY'])
    if 'CATEGORIES' in c: d['CATEGORIES'] = [str(x) for x in c['CATEGORIES'].cats]
    if 'CONTACT' in c: d['CONTACT'] = str(c['CONTACT'])
    alarms = c.walk('VALARM')
    if alarms: d['TRIGGER'] = alarms[0].decoded('TRIGGER').isoformat()
    out.append(d)
print(json.dumps(out))
)";
    QProcess p;
    p.start(python, {QStringLiteral("-c"), QString::fromUtf8(script), out});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    const QJsonArray parsed = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    ASSERT_EQ(parsed.size(), 2);

    QJsonObject first = parsed[0].toObject(), second = parsed[1].toObject();
    EXPECT_FALSE(first.take("DTSTAMP").toString().isEmpty());
    EXPECT_FALSE(second.take("DTSTAMP").toString().isEmpty());
    const QString uid = first.take("UID").toString();
    EXPECT_FALSE(uid.isEmpty());
    EXPECT_NE(second.take("UID").toString(), uid);
    EXPECT_EQ(first, QJsonDocument::fromJson(R"({"SUMMARY": "Ruf Müller an, dann \"schreib\"",
        "DESCRIPTION": "two\nlines; and, more", "DUE": "2026-03-20", "CREATED": "2026-03-01T00:00:00+00:00",
        "PRIORITY": 2, "CATEGORIES": ["Q3; review"], "CONTACT": "Bob", "STATUS": "COMPLETED",
        "TRIGGER": "2026-03-20T14:30:00+00:00"})")
                         .object());
    EXPECT_EQ(second,
              (QJsonObject{{"SUMMARY", longText}, {"STATUS", "NEEDS-ACTION"}, {"DUE", "2026-04-01"}}));
}
