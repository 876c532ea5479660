// The Im-Export commands of the main window: CSV export and import through the file dialogs, and the
// HTML page written and handed to the desktop.
#include "MainWindowFixture.h"

#include "app/TQuillmar.h"
#include "platform/CodePage.h"

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

    void exportWritesEveryRowWithoutAsking()
    {
        TempData data;
        TQuillmar w;
        w.model()->appendItem(item("Pay, then \"file\"", true, "01.03.2024", "2"));
        w.model()->appendItem(item("Plain"));
        const QString out = data.dir.filePath(QStringLiteral("out.csv"));
        QVERIFY(writeFile(out, "old"));

        FileDialog::setNextFileName(out);
        w.ExporttoCSV1->trigger();
        QCOMPARE(bytes(out), QByteArray("\"Pay, then \"file\"\",2,,01.03.2024,,,,,,\r\nPlain,,,,,,,,,\r\n"));
        const FileDialog::Request req = FileDialog::lastRequest();
        QVERIFY(req.save);
        QVERIFY(!req.confirmOverwrite);
        QCOMPARE(req.filter, QStringLiteral("CSV Files (*.CSV *.csv)"));
        QCOMPARE(req.defaultSuffix, QStringLiteral("CSV"));
        QVERIFY(req.folder.isEmpty());

        // A cancelled dialog writes nothing.
        const int asked = FileDialog::requestCount();
        QFile::remove(out);
        w.ExporttoCSV1Click();
        QCOMPARE(FileDialog::requestCount(), asked + 1);
        QVERIFY(!QFile::exists(out));
    }

    void importAppendsAllRowsOrNone()
    {
        TempData data;
        TQuillmar w;
        w.model()->appendItem(item("existing"));
        w.ListSaved = true;
        const QString in = data.dir.filePath(QStringLiteral("in.csv"));
        QVERIFY(writeFile(in, "First,1,,,\"two\r\nlines\",\r\n\r\nSecond,\r\n"));

        FileDialog::setNextFileName(in);
        w.ImportfromCSV1->trigger();
        QCOMPARE(actions(w.model()->list()), (QByteArrayList{"existing", "First", "Second"}));
        QCOMPARE(w.model()->item(1).value(ToDoItem::Remarks), QByteArrayView("two\r\nlines"));
        QVERIFY(!w.ListSaved);
        QVERIFY2(w.StatusPanels[0]->text().contains(QLatin1String("3")),
                 qPrintable(w.StatusPanels[0]->text()));
        QCOMPARE(FileDialog::lastRequest().filter, QStringLiteral("CSV Files (*.CSV *.csv)"));
        QVERIFY(!FileDialog::lastRequest().save);

        // A file that cannot be read, or does not fit the code page, adds nothing and says why.
        FileDialog::setNextFileName(data.dir.filePath(QStringLiteral("missing.csv")));
        w.ImportfromCSV1Click();
        QVERIFY(MessageBox::lastText().contains(QLatin1String("missing.csv")));
        CodePage::setCurrent(CodePage::Kind::Utf8);
        QVERIFY(writeFile(in, "ok,\r\nM\xFCller,\r\n"));
        FileDialog::setNextFileName(in);
        w.ImportfromCSV1Click();
        CodePage::setCurrent(CodePage::Kind::Windows1252);
        QVERIFY(MessageBox::lastText().contains(QLatin1String("line 2")));
        QCOMPARE(w.model()->size(), 3);
    }

    void htmlPageIsWrittenAndOpened()
    {
        TempData data;
        data.writeIni("[Header]\nText=My <list>\n");
        TQuillmar w;
        w.model()->appendItem(item("<script>x</script>", false, "15.03.2024"));
        const QString page = data.dir.filePath(QStringLiteral("list.html"));

        FileDialog::setNextFileName(page);
        w.actMakeHTML->trigger();
        const FileDialog::Request req = FileDialog::lastRequest();
        QCOMPARE(req.filter, QStringLiteral("HTML File (*.HTML *.html)"));
        QCOMPARE(req.defaultSuffix, QStringLiteral("html"));
        QVERIFY(req.confirmOverwrite);
        QCOMPARE(QDir(req.folder), QFileInfo(StandardListPath()).absoluteDir());
        const QByteArray html = bytes(page);
        QVERIFY(html.contains("> My &lt;list&gt; </FONT></H2>\r\n"));
        QVERIFY(html.contains("<CENTER>[ today ]</td>\r\n"));
        QVERIFY(html.contains(">&lt;script&gt;x&lt;/script&gt;</td>\r\n"));
        QVERIFY(html.contains(">Actions</td><P>\r\n"));
        QCOMPARE(m_catcher.opened, QList<QUrl>{QUrl::fromLocalFile(page)});

        // Unreadable settings: the message names them, no page is written or opened.
        data.writeIni("[Footer]\nPosition=middle\n");
        const QString other = data.dir.filePath(QStringLiteral("other.html"));
        FileDialog::setNextFileName(other);
        w.actMakeHTMLExecute();
        QVERIFY(MessageBox::lastText().contains(QLatin1String("Footer")));
        QVERIFY(!QFile::exists(other));
        QCOMPARE(m_catcher.opened.size(), 1);
    }

    void aMissingPageIsReported()
    {
        TempData data;
        TQuillmar w;
        const QString gone = data.dir.filePath(QStringLiteral("gone.html"));
        w.ShowHTMLFile(gone);
        QCOMPARE(MessageBox::lastText(),
                 QStringLiteral("I didn't find the ") + gone + QStringLiteral(" file"));
        QVERIFY(m_catcher.opened.isEmpty());
    }

private:
    UrlCatcher m_catcher;
};

QTEST_MAIN(ExchangeGuiTest)
#include "exchange_gui_test.moc"
