// The Im-Export commands of the main window: CSV export and import through the file dialogs, the HTML page
// written and handed to the desktop, and the jobs that run beside the window stopped by Cancel.
#include "MainWindowFixture.h"

#include "app/TQuillmar.h"

#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

using namespace fixture;

// Stands in for the desktop: records what would have been opened.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

class ExchangeGuiTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        setUpOnce();
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_catcher, "open");
    }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    void init() { m_catcher.opened.clear(); }

    // The field forms themselves belong to the CSV and HTML writers; here: the dialogs, the whole list, and
    // what the window does with the result. The dialogs start in the documents folder, then where the last
    // exchange went.
    void exportWritesEveryRowAndSaysWhere()
    {
        TempData data;
        TQuillmar w;
        w.startUp();
        w.document().model()->appendItems({item("First", true), item("Plain")});
        const QString out = data.dir.filePath(QStringLiteral("out.csv"));
        QVERIFY(writeFile(out, "old"));

        files().setNextFileName(out);
        action(&w, "actExportCSV")->trigger();
        const FileDialog::Request req = files().lastRequest();
        QVERIFY(req.save && req.confirmOverwrite); // the dialog asks before it replaces a file
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QCOMPARE(req.folder, QFileInfo(documents).isDir() ? documents : QDir::homePath());
        QTRY_VERIFY(jobsFinished(&w));
        QCOMPARE(bytes(out),
                 QByteArray(
                     "Actions,Priority,Date In,Target,Remarks,Owner,Project Name,Alarm Time,File Location\r\n"
                     "First,,,,,,,,\r\nPlain,,,,,,,,\r\n"));
        QCOMPARE(child<QLabel>(&w, "StatusPanel2")->text(),
                 QStringLiteral("Exported 2 items to ") + QDir::toNativeSeparators(out));

        action(&w, "actImportICalendar")->trigger(); // a dialog cancelled
        QCOMPARE(files().lastRequest().folder, data.dir.path());
    }

    // Cancel stops a job before it is done: an export leaves the old file and nothing beside it, an import
    // adds nothing. A job that runs is not started a second time, nor left by Exit unasked.
    void cancelledJobsLeaveEverythingAsItWas()
    {
        TempData data;
        TQuillmar w;
        w.startUp();
        w.document().model()->appendItems({item("First"), item("Second")});
        QLabel* status = child<QLabel>(&w, "StatusPanel2");
        for (const QString& name : {QStringLiteral("ExportCSV"), QStringLiteral("MakeHTML"),
                                    QStringLiteral("ExportICalendar"), QStringLiteral("ImportCSV")}) {
            const QString file = data.dir.filePath(QStringLiteral("file.") + name);
            QVERIFY(writeFile(file, name == QLatin1String("ImportCSV") ? "Third,1\r\n" : "old"));
            files().setNextFileName(file);
            QAction* act = action(&w, qPrintable(QStringLiteral("act") + name));
            act->trigger();
            messages().reset();
            act->trigger();
            QVERIFY2(messages().lastText().contains(QLatin1String("is still running")), qPrintable(name));
            action(&w, "actExit")->trigger(); // answered No: nothing stops
            QVERIFY(messages().lastText().contains(QLatin1String("Stop it and exit?")));
            child<QPushButton>(&w, qPrintable(QStringLiteral("job%1Cancel").arg(name)))->click();
            QTRY_VERIFY(jobsFinished(&w));
            QVERIFY2(status->text().contains(QLatin1String("cancelled")), qPrintable(status->text()));
            QCOMPARE(w.document().model()->size(), 2);
            if (name != QLatin1String("ImportCSV"))
                QCOMPARE(bytes(file), QByteArray("old"));
        }
        QCOMPARE(
            QDir(data.dir.path()).entryList({QStringLiteral("*.quillmar-tmp")}, QDir::Files | QDir::Hidden),
            QStringList());
        QVERIFY(m_catcher.opened.isEmpty());
    }

    void htmlPageIsWrittenAndOpened()
    {
        TempData data;
        data.writeIni("[Header]\nText=My list\n");
        TQuillmar w;
        w.startUp();
        w.document().model()->appendItem(item("Shown", false, "15.03.2024"));
        const QString page = data.dir.filePath(QStringLiteral("list.html"));

        files().setNextFileName(page);
        action(&w, "actMakeHTML")->trigger();
        QTRY_VERIFY(jobsFinished(&w));
        QVERIFY(files().lastRequest().confirmOverwrite);
        // The page itself is html_test's; here the settings reach it.
        QVERIFY(bytes(page).contains("> My list </span></h2>\r\n"));
        QCOMPARE(m_catcher.opened, QList<QUrl>{QUrl::fromLocalFile(page)});

        // Unreadable settings: the message names them, no page is written or opened.
        data.writeIni("[Footer]\nPosition=middle\n");
        const QString other = data.dir.filePath(QStringLiteral("other.html"));
        files().setNextFileName(other);
        action(&w, "actMakeHTML")->trigger();
        QTRY_VERIFY(jobsFinished(&w));
        QVERIFY(messages().lastText().contains(QLatin1String("Footer")));
        QVERIFY(!QFile::exists(other));
        QCOMPARE(m_catcher.opened.size(), 1);
    }

private:
    UrlCatcher m_catcher;
};

QTEST_MAIN(ExchangeGuiTest)
#include "exchange_gui_test.moc"
