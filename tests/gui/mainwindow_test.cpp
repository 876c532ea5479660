// Start-up, shutdown, layout persistence, one instance per data folder and ending by signal.
#include "MainWindowFixture.h"

#include "app/ReportView.h"
#include "app/TQuillmar.h"
#include "config/IniFile.h"
#include "platform/InstanceLock.h"
#include "platform/desktop/SingleInstance.h"

#include <QApplication>
#include <QDialog>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <csignal>

using namespace fixture;

class MainWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { setUpOnce(); }

    void firstStartCreatesFolderAndSettings()
    {
        TempData data(QStringLiteral("AppData"));
        QVERIFY(!QDir(data.folder).exists());
        {
            TQuillmar w;
            w.startUp();
            QVERIFY(QDir(data.folder).exists());
            QVERIFY(QFile::exists(SettingsFilePath()));
            QCOMPARE(w.document().mode(), ListMode::Standard);
            QVERIFY(!w.document().isModified());
            QVERIFY(child<QTimer>(&w, "AlarmTimer")->isActive());
            // An empty settings file is no error.
            QVERIFY(messages().shownTexts().isEmpty());
        }
        // Nothing was shown or changed, so the standard list was not written; the layout was.
        QVERIFY(!QFile::exists(StandardListPath()));
        QCOMPARE(IniFile::load(SettingsFilePath()).value("Bounds", "WindowState", "?"),
                 QStringLiteral("wsnormal"));
    }

    void closeKeepsRunningAndSaves()
    {
        TempData data;
        TQuillmar w;
        w.show();
        w.startUp();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.document().model()->appendItem(item("written on close"));
        QVERIFY(w.isWindowModified());
        QVERIFY(!w.close()); // refused: the program keeps running
        QCOMPARE(actions(load(StandardListPath())), QByteArrayList{"written on close"});
        QVERIFY(!w.isWindowModified());
        // Without a tray the window must stay reachable: it is minimised instead of hidden.
        QTRY_VERIFY(!w.isVisible() || w.isMinimized());
        action(&w, "actRestore")->trigger();
        QTRY_VERIFY(w.isVisible() && !w.isMinimized());
    }

    // The layout is taken from the settings at the start and written back with the list at the exit.
    void exitSavesListAndLayout()
    {
        TempData data;
        data.writeIni("[Bounds]\nWindowState=wsnormal\nWidth=820\nHeight=520\n[Columnwidth]\nColumn2=0\n");
        {
            TQuillmar w;
            w.show();
            w.startUp();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QCOMPARE(w.width(), 820);
            QCOMPARE(child<ReportView>(&w, "lstToDo")->columnWidth(2), 0); // 0 hides the column
            w.resize(700, 450);
            w.document().model()->appendItem(item("saved by exit"));
            action(&w, "actExit")->trigger();
            QCOMPARE(actions(load(StandardListPath())), QByteArrayList{"saved by exit"});
        }
        const IniFile ini = IniFile::load(SettingsFilePath());
        QCOMPARE(ini.value("Bounds", "Width", ""), QStringLiteral("700"));
        QCOMPARE(ini.value("Columnwidth", "Column2", ""), QStringLiteral("0"));
    }

    // While the session ends nobody answers: each box takes its most cautious button, no file is picked.
    void unattendedBoxesTakeTheCautiousAnswer()
    {
        using B = MessageBox::Button;
        MessageBox::setUnattended(true);
        const std::pair<QList<B>, B> cases[] = {
            {{B::Yes, B::No, B::Cancel}, B::Cancel}, {{B::Yes, B::No}, B::No}, {{B::Ok, B::Help}, B::Ok}};
        for (const auto& [buttons, cautious] : cases)
            QCOMPARE(MessageBox::message(nullptr, {}, QStringLiteral("?"), MessageBox::Icon::None, buttons),
                     cautious);
        QCOMPARE(FileDialog::getOpenFileName(nullptr, {}, {}, {}), QString());
        MessageBox::setUnattended(false);
    }

    // A signal saves what the window holds, also while a message box of the start-up waits for a click;
    // a ".tdo" from the command line is saved back to its own file, never over the standard list. A hang-up
    // (the terminal closed) ends the window as a termination does.
    void signalsSaveWithoutWaitingForAnyBox()
    {
        const QString bin = testutil::quillmarBin();
        QVERIFY2(!bin.isEmpty(), "QUILLMAR_BIN must name the built program");
        for (const auto& [boxOpen, signalNumber] : {std::pair{false, SIGTERM}, std::pair{true, SIGTERM},
                                                    std::pair{false, SIGHUP}, std::pair{true, SIGHUP}}) {
            QTemporaryDir dir;
            const QString folder = dir.path() + QStringLiteral("/data");
            QDir().mkpath(folder);
            const QString named = dir.path() + QStringLiteral("/given.tdo");
            QVERIFY(SaveListFile(list({"first", "second"}), named).ok);
            // A damaged standard list makes the start-up show "Problems reading the file!" and wait.
            if (boxOpen)
                QVERIFY(writeFile(folder + "/ToDoX.tdo", QByteArray("\x02\x00\x00\x00\x01", 5)));
            const QByteArray standardBefore = bytes(folder + "/ToDoX.tdo");

            QProcess p;
            p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p.start(bin, boxOpen ? QStringList{QStringLiteral("--data-dir"), folder}
                                 : QStringList{QStringLiteral("--data-dir"), folder, named});
            QVERIFY(p.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(InstanceLock::lockFilePath(folder)), 10000);
            QTest::qWait(1500);
            ::kill(static_cast<pid_t>(p.processId()), signalNumber);
            QVERIFY(p.waitForFinished(10000));
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), 0);

            QCOMPARE(IniFile::load(folder + "/Quillmar.ini").value("Bounds", "WindowState", ""),
                     QStringLiteral("wsnormal"));
            QCOMPARE(actions(load(named)), (QByteArrayList{"first", "second"}));
            QCOMPARE(bytes(folder + "/ToDoX.tdo"), standardBefore);
            QVERIFY(!QFile::exists(InstanceLock::lockFilePath(folder)));
        }
    }

    // A second start hands over its file: opened as a list of its own once no dialog is open any more,
    // and "Open standard ToDo" still opens the standard list.
    void secondStartHandsOverItsFile()
    {
        const QString bin = testutil::quillmarBin();
        QVERIFY2(!bin.isEmpty(), "QUILLMAR_BIN must name the built program");
        TempData data;
        QDir().mkpath(data.folder);
        QVERIFY(SaveListFile(list({"standard"}), StandardListPath()).ok);
        const QString external = data.dir.path() + QStringLiteral("/Other.TDX");
        QVERIFY(SaveListFile(list({"external one", "external two"}), external).ok);

        // This process plays the running window.
        InstanceLock lock(data.folder);
        QVERIFY(lock.tryLock());
        SingleInstance instance(data.folder);
        QVERIFY(instance.listen());
        TQuillmar w;
        w.startUp();
        connect(&instance, &SingleInstance::activationRequested, &w,
                [&w](const QString& file) { w.handOver(file); });
        QCOMPARE(w.document().mode(), ListMode::Standard);

        // The user is typing a new item when the other start arrives: the item lands in the standard list.
        QProcess second;
        whenModal<QDialog>([&](QDialog& editor) {
            second.start(bin, QStringList{QStringLiteral("--data-dir"), data.folder, external});
            QVERIFY(second.waitForStarted());
            QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
            QTest::qWait(300);
            QCOMPARE(w.document().mode(), ListMode::Standard);
            child<QPlainTextEdit>(&editor, "ActionEdit")->setPlainText(QStringLiteral("typed meanwhile"));
            child<QPushButton>(&editor, "OKButt")->click();
        });
        action(&w, "actInsAction")->trigger();
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(w.document().mode(), ListMode::External);
        QCOMPARE(w.document().externalFileName(), external);
        QCOMPARE(actions(w.document().list()), (QByteArrayList{"external one", "external two"}));
        QCOMPARE(actions(load(StandardListPath())), (QByteArrayList{"standard", "typed meanwhile"}));
        QVERIFY(w.isVisible());

        action(&w, "OpenStandardToDo")->trigger();
        QCOMPARE(w.document().mode(), ListMode::Standard);
    }

    // A folder held by a window that does not answer, or by a command-line run, refuses the start and
    // says which; a data folder that cannot be made says that.
    void startsThatCannotHaveTheFolderSayWhy()
    {
        const QString bin = testutil::quillmarBin();
        QVERIFY2(!bin.isEmpty(), "QUILLMAR_BIN must name the built program");
        const std::pair<InstanceLock::Role, QByteArray> holders[] = {
            {InstanceLock::Role::Window, "already running"},
            {InstanceLock::Role::CommandLine, "command-line run"}};
        for (const auto& [role, said] : holders) {
            TempData data;
            QDir().mkpath(data.folder);
            InstanceLock lock(data.folder, role);
            QVERIFY(lock.tryLock());
            QProcess second;
            second.start(bin, QStringList{QStringLiteral("--data-dir"), data.folder});
            QVERIFY(second.waitForFinished(20000));
            QCOMPARE(second.exitCode(), 1);
            QVERIFY(second.readAllStandardError().contains(said));
            QVERIFY(!QFile::exists(StandardListPath()));
        }
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("file")), "not a folder"));
        QProcess start;
        start.start(bin,
                    QStringList{QStringLiteral("--data-dir"), dir.filePath(QStringLiteral("file/data"))});
        QVERIFY(start.waitForFinished(20000));
        QCOMPARE(start.exitCode(), 1);
        QVERIFY(start.readAllStandardError().contains("cannot be created"));
    }

    void helpOpensTheManual()
    {
        TempData data;
        TQuillmar w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &w, Qt::Key_F1);
        QWidget* help = nullptr;
        QTRY_VERIFY((help = QApplication::activeWindow()) &&
                    help->objectName() == QLatin1String("HelpWindow"));
        QVERIFY(child<QTextBrowser>(help, "HelpBrowser")
                    ->toPlainText()
                    .contains(QStringLiteral("Standard, history and external lists")));
        // Escape closes it.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!help->isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
