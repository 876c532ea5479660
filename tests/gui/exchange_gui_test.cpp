// The Im-Export commands of the main window: CSV export and import through the file dialogs, and the
// HTML page written and handed to the desktop.
#include "MainWindowFixture.h"

#include "app/TQuillmar.h"

#include <QAction>
#include <QDesktopServices>
#include <QLabel>
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
    // what the window does with the result.
    void exportWritesEveryRow()
    {
        TempData data;
        TQuillmar w;
        w.startUp();
        w.document().model()->appendItems({item("First", true), item("Plain")});
        const QString out = data.dir.filePath(QStringLiteral("out.csv"));
        QVERIFY(writeFile(out, "old"));

        files().setNextFileName(out);
        action(&w, "actExportCSV")->trigger();
        QCOMPARE(bytes(out),
                 QByteArray(
                     "Actions,Priority,Date In,Target,Remarks,Owner,Project Name,Alarm Time,File Location\r\n"
                     "First,,,,,,,,\r\nPlain,,,,,,,,\r\n"));
        const FileDialog::Request req = files().lastRequest();
        QVERIFY(req.save && req.confirmOverwrite); // the dialog asks before it replaces a file
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
        QVERIFY(files().lastRequest().confirmOverwrite);
        // The page itself is html_test's; here the settings reach it.
        QVERIFY(bytes(page).contains("> My list </span></h2>\r\n"));
        QCOMPARE(m_catcher.opened, QList<QUrl>{QUrl::fromLocalFile(page)});

        // Unreadable settings: the message names them, no page is written or opened.
        data.writeIni("[Footer]\nPosition=middle\n");
        const QString other = data.dir.filePath(QStringLiteral("other.html"));
        files().setNextFileName(other);
        action(&w, "actMakeHTML")->trigger();
        QVERIFY(messages().lastText().contains(QLatin1String("Footer")));
        QVERIFY(!QFile::exists(other));
        QCOMPARE(m_catcher.opened.size(), 1);
    }

private:
    UrlCatcher m_catcher;
};

QTEST_MAIN(ExchangeGuiTest)
#include "exchange_gui_test.moc"
