// "Import from iCalendar" in the Im-Export menu: the to-dos come in as one step that undo takes back, and
// the status bar names what the list cannot hold.
#include "MainWindowFixture.h"

#include "app/TQuillmar.h"

#include <QAction>
#include <QLabel>
#include <QTest>

using namespace fixture;

class ICalendarGuiTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { setUpOnce(); }

    void importAddsToDosThatUndoTakesBack()
    {
        TempData data;
        TQuillmar w;
        w.startUp();
        w.document().model()->appendItem(item("existing"));
        const QString in = data.dir.filePath(QStringLiteral("tasks.ics"));
        QVERIFY(writeFile(in, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n"
                              "BEGIN:VTODO\r\nUID:1\r\nDTSTAMP:20260101T000000Z\r\nSUMMARY:Water plants\r\n"
                              "RRULE:FREQ=WEEKLY\r\nEND:VTODO\r\n"
                              "BEGIN:VTODO\r\nUID:2\r\nDTSTAMP:20260101T000000Z\r\nSUMMARY:Pay rent\r\n"
                              "STATUS:COMPLETED\r\nEND:VTODO\r\nEND:VCALENDAR\r\n"));

        files().setNextFileName(in);
        action(&w, "actImportICalendar")->trigger();
        QCOMPARE(files().lastRequest().defaultSuffix, QStringLiteral("ics"));
        QCOMPARE(actions(w.document().model()->list()),
                 (QByteArrayList{"existing", "Water plants", "Pay rent"}));
        QVERIFY(w.document().model()->list().items[2].checked());
        QCOMPARE(child<QLabel>(&w, "StatusPanel2")->text(),
                 QStringLiteral("Imported 2 items from ") + in +
                     QStringLiteral("; the list cannot hold their repeat rules (1)"));

        action(&w, "actUndo")->trigger();
        QCOMPARE(actions(w.document().model()->list()), QByteArrayList{"existing"});
    }
};

QTEST_MAIN(ICalendarGuiTest)
#include "icalendar_gui_test.moc"
