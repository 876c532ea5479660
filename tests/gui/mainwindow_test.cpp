// Start-up, shutdown, layout persistence, one instance per data folder and ending by signal.
#include "MainWindowFixture.h"

#include "app/TQuillmar.h"
#include "config/IniFile.h"
#include "config/Settings.h"
#include "platform/InstanceLock.h"
#include "platform/desktop/SingleInstance.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimer>
#include <QTreeView>

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
            QVERIFY(QDir(data.folder).exists());
            QVERIFY(QFile::exists(SettingsFilePath()));
            QCOMPARE(w.ListMode, TQuillmar::TListMode::Standard);
            QCOMPARE(w.windowTitle(), TQuillmar::standardCaption());
            QCOMPARE(w.StatusPanels[0]->text(), QStringLiteral("15.03.2024"));
            QVERIFY(w.ListSaved);
            QVERIFY(w.Timer1->isActive());
            // An empty settings file is no error.
            QVERIFY(MessageBox::shownTexts().isEmpty());
        }
        // Nothing was shown or changed, so the standard list was not written; the layout was.
        QVERIFY(!QFile::exists(StandardListPath()));
        QCOMPARE(ReadIniString(SettingsFilePath(), "Bounds", "WindowState", "?"), QStringLiteral("wsnormal"));
    }

    void layoutIsRestoredAndSaved()
    {
        TempData data;
        data.writeIni("[Bounds]\nWindowState=wsnormal\nLeft=40\nTop=50\nWidth=820\nHeight=520\nListHeight=230\n"
                      "ActionWidth=260\n[Columnwidth]\nColumn0=150\nColumn1=99\nColumn2=0\nColumn5=-5\n");
        {
            TQuillmar w;
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QCOMPARE(w.size(), QSize(820, 520));
            QCOMPARE(w.pos(), QPoint(40, 50));
            QCOMPARE(w.lstToDo->columnWidth(0), 150);
            QCOMPARE(w.lstToDo->columnWidth(1), 20); // 99: as designed
            QCOMPARE(w.lstToDo->columnWidth(2), 0);  // 0 hides the column
            QCOMPARE(w.lstToDo->columnWidth(5), 60); // negative: as designed
            QCOMPARE(w.lstToDo->height(), 230);
            QCOMPARE(w.ActionMemo->width(), 260);
            w.lstToDo->header()->resizeSection(4, 123);
        }
        const IniFile ini = IniFile::load(SettingsFilePath());
        QCOMPARE(ini.value("Bounds", "Width", ""), QStringLiteral("820"));
        QCOMPARE(ini.value("Bounds", "ListHeight", ""), QStringLiteral("230"));
        QCOMPARE(ini.value("Bounds", "ActionWidth", ""), QStringLiteral("260"));
        QCOMPARE(ini.value("Columnwidth", "Column2", ""), QStringLiteral("0"));
        QCOMPARE(ini.value("Columnwidth", "Column4", ""), QStringLiteral("123"));
    }

    void maximisedStateRestoresNothing()
    {
        TempData data;
        data.writeIni("[Bounds]\nWindowState=wsmaximized\nLeft=40\nTop=50\nWidth=820\nHeight=520\n");
        {
            TQuillmar w;
            // Neither the stored bounds nor the maximised state: the designed window.
            QCOMPARE(w.size(), TQuillmar::designedSize());
            QVERIFY(!w.isMaximized());
            w.showMaximized();
            QTRY_VERIFY(w.isMaximized());
        }
        const IniFile ini = IniFile::load(SettingsFilePath());
        QCOMPARE(ini.value("Bounds", "WindowState", ""), QStringLiteral("wsmaximized"));
        // Only the state was written: the old bounds stand as they were, no column widths appeared.
        QCOMPARE(ini.value("Bounds", "Width", ""), QStringLiteral("820"));
        QVERIFY(!ini.value("Columnwidth", "Column0").has_value());
    }

    void badLayoutNumbersKeepTheDesign()
    {
        TempData data;
        data.writeIni("[Bounds]\nWidth=wide\nHeight=600\n[ToDo Grid]\nUseBeginDate=0\n");
        TQuillmar w;
        QCOMPARE(w.size(), QSize(TQuillmar::designedSize().width(), 600));
        QVERIFY(!w.UseBeginDate);
        QVERIFY(MessageBox::shownTexts().isEmpty());
    }

    void closeKeepsRunningAndSaves()
    {
        TempData data;
        TQuillmar w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.model()->appendItem(item("written on close"));
        w.ListSaved = false;
        QVERIFY(!w.close()); // refused: the program keeps running
        QCOMPARE(actions(load(StandardListPath())), QByteArrayList{"written on close"});
        if (w.trayAvailable()) {
            QVERIFY(!w.isVisible());
            QVERIFY(w.TrayIcon->isVisible());
        } else {
            // Without a tray the window must stay reachable.
            QTRY_VERIFY(w.isMinimized());
        }
        w.RestoreQuillmar1Click();
        QTRY_VERIFY(w.isVisible() && !w.isMinimized());
    }

    void exitSavesListAndLayout()
    {
        TempData data;
        {
            TQuillmar w;
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.resize(700, 450);
            w.model()->appendItem(item("saved by exit"));
            w.FormActivate();
            w.ExitMenuClick();
            QCOMPARE(actions(load(StandardListPath())), QByteArrayList{"saved by exit"});
        }
        QCOMPARE(ReadIniString(SettingsFilePath(), "Bounds", "Width", ""), QStringLiteral("700"));
    }

    void activationMakesTheListSaveable()
    {
        TempData data;
        TQuillmar w;
        QVERIFY(w.ListSaved);
        w.show();
        w.activateWindow();
        QTRY_VERIFY(!w.ListSaved);
    }

    void sigtermSavesLikeExit()
    {
        const QString bin = qEnvironmentVariable("QUILLMAR_BIN");
        if (bin.isEmpty())
            QSKIP("QUILLMAR_BIN is not set");
        QTemporaryDir dir;
        const QString folder = dir.path() + QStringLiteral("/data");
        // A ".tdo" on the command line is shown in place of the standard list and saved as it.
        const QString named = dir.path() + QStringLiteral("/given.tdo");
        QVERIFY(SaveListFile(list({"first", "second"}), named).ok);

        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(bin, QStringList{QStringLiteral("--data-dir"), folder, named});
        QVERIFY(p.waitForStarted());
        // Wait until it listens for other starts: the window is up by then.
        SingleInstance probe(folder);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(InstanceLock::lockFilePath(folder)), 10000);
        QTest::qWait(1500);
        ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);

        QCOMPARE(ReadIniString(folder + "/Quillmar.ini", "Bounds", "WindowState", ""), QStringLiteral("wsnormal"));
        QCOMPARE(actions(load(folder + "/ToDoX.tdo")), (QByteArrayList{"first", "second"}));
        QVERIFY(!QFile::exists(InstanceLock::lockFilePath(folder)));
    }

    void secondStartHandsOverItsFile()
    {
        const QString bin = qEnvironmentVariable("QUILLMAR_BIN");
        if (bin.isEmpty())
            QSKIP("QUILLMAR_BIN is not set");
        TempData data;
        QDir().mkpath(data.folder);
        QVERIFY(SaveListFile(list({"standard"}), QString()).ok);
        const QString external = data.dir.path() + QStringLiteral("/Other.TDX");
        QVERIFY(SaveListFile(list({"external one", "external two"}), external).ok);

        // This process plays the running window.
        InstanceLock lock(data.folder);
        QVERIFY(lock.tryLock());
        SingleInstance instance(data.folder);
        QVERIFY(instance.listen());
        TQuillmar w;
        connect(&instance, &SingleInstance::activationRequested, &w,
                [&w](const QString& file) { w.activateFromOtherInstance(file); });
        QCOMPARE(w.ListMode, TQuillmar::TListMode::Standard);

        QProcess second;
        second.start(bin, QStringList{QStringLiteral("--data-dir"), data.folder, external});
        QVERIFY(second.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(w.ListMode, TQuillmar::TListMode::External);
        QCOMPARE(w.ExternalFileName, external);
        QCOMPARE(actions(w.model()->list()), (QByteArrayList{"external one", "external two"}));
        QVERIFY(w.isVisible());
    }

    void lockedFolderWithoutAnswerRefusesToStart()
    {
        const QString bin = qEnvironmentVariable("QUILLMAR_BIN");
        if (bin.isEmpty())
            QSKIP("QUILLMAR_BIN is not set");
        TempData data;
        QDir().mkpath(data.folder);
        InstanceLock lock(data.folder);
        QVERIFY(lock.tryLock());
        QProcess second;
        second.start(bin, QStringList{QStringLiteral("--data-dir"), data.folder});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(second.readAllStandardError().contains("already running"));
        QVERIFY(!QFile::exists(StandardListPath()));
    }

    void damagedCommandLineFileLeavesStandardListAlone()
    {
        TempData data;
        QDir().mkpath(data.folder);
        QVERIFY(SaveListFile(list({"keep me"}), QString()).ok);
        const QByteArray before = bytes(StandardListPath());

        const QString damaged = data.dir.path() + QStringLiteral("/damaged.tdo");
        QVERIFY(writeFile(damaged, QByteArray("\x05\x00\x00\x00garbage", 11)));
        const QString wrongKind = data.dir.path() + QStringLiteral("/notes.txt");
        QVERIFY(SaveListFile(list({"not a list"}), wrongKind).ok);

        for (const QString& named : {damaged, wrongKind}) {
            MessageBox::clearShown();
            TQuillmar w(named);
            QVERIFY(MessageBox::lastText().startsWith(QStringLiteral("Problems reading the file!")));
            QVERIFY(MessageBox::lastText().contains(QFileInfo(named).fileName()));
            QCOMPARE(w.ListMode, TQuillmar::TListMode::Standard);
            QCOMPARE(actions(w.model()->list()), QByteArrayList{"keep me"});
            // "Open standard ToDo" now means the standard list, not the broken file again.
            w.ListSaved = false;
            w.OpenStandardList();
            QCOMPARE(actions(w.model()->list()), QByteArrayList{"keep me"});
            w.ListSaved = false;
            w.ExitMenuClick();
            QCOMPARE(bytes(StandardListPath()), before);
        }
    }

    void damagedStandardListIsNeverOverwritten()
    {
        TempData data;
        QDir().mkpath(data.folder);
        QVERIFY(writeFile(StandardListPath(), QByteArray("\x02\x00\x00\x00\x01", 5)));
        const QByteArray before = bytes(StandardListPath());
        TQuillmar w;
        QVERIFY(MessageBox::lastText().startsWith(QStringLiteral("Problems reading the file!")));
        QCOMPARE(w.ListMode, TQuillmar::TListMode::NoList);
        w.ListSaved = false;
        w.ExitMenuClick();
        QCOMPARE(bytes(StandardListPath()), before);
    }

    void helpOpensTheManual()
    {
        TempData data;
        TQuillmar w;
        w.Help1Click();
        bool found = false;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* b = qobject_cast<QTextBrowser*>(top)) {
                found = b->toPlainText().contains(QStringLiteral("Standard, history and external lists"));
                b->close();
            }
        }
        QVERIFY(found);
    }
};

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
