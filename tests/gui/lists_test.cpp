// Switching between the standard, history and external lists: each one is saved by its own mode, every
// failure has its message, and a failed load changes nothing.
#include "MainWindowFixture.h"

#include "app/TQuillmar.h"

#include <QTest>

using namespace fixture;
using Mode = TQuillmar::TListMode;

class ListsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { setUpOnce(); }

    void eachSwitchSavesByItsOwnMode()
    {
        TempData data;
        const QString external = data.dir.path() + QStringLiteral("/work.tdx");
        QDir().mkpath(data.folder);
        QVERIFY(SaveListFile(list({"ext"}), external).ok);
        TQuillmar w;

        // Standard -> history: the standard list is written to its file.
        w.model()->appendItem(item("std item"));
        QVERIFY(!w.ListSaved);
        w.LoadHistoryList();
        QCOMPARE(actions(load(StandardListPath())), QByteArrayList{"std item"});
        QCOMPARE(w.ListMode, Mode::History);
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillmar: History file"));
        QCOMPARE(w.model()->size(), 0);

        // History -> external: the history file gets the items, without names.
        w.model()->appendItem(item("hist item", true));
        FileDialog::setNextFileName(external);
        w.OpenExternalList();
        QCOMPARE(actions(load(HistoryListPath(), true)), QByteArrayList{"hist item"});
        QCOMPARE(FileDialog::lastRequest().folder, DataFolder());
        QCOMPARE(w.ListMode, Mode::External);
        QCOMPARE(w.ExternalFileName, external);
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillmar, ext: work.tdx"));

        // External -> standard: asked first, then written back to the external file.
        w.model()->appendItem(item("ext item"));
        MessageBox::setNextAnswer(MessageBox::Yes);
        w.OpenStandardList();
        QCOMPARE(MessageBox::lastText(), QStringLiteral("The file has changed. \r\nSave it as: \r\n") + external);
        QCOMPARE(actions(load(external)), (QByteArrayList{"ext", "ext item"}));
        QCOMPARE(w.ListMode, Mode::Standard);
        QCOMPARE(actions(w.model()->list()), QByteArrayList{"std item"});
        QCOMPARE(w.windowTitle(), TQuillmar::standardCaption());
    }

    void answeringNoKeepsTheExternalFile()
    {
        TempData data;
        const QString external = data.dir.path() + QStringLiteral("/keep.tdx");
        QVERIFY(SaveListFile(list({"as it was"}), external).ok);
        TQuillmar w(external);
        QCOMPARE(w.ListMode, Mode::External);
        w.model()->appendItem(item("not wanted"));
        MessageBox::setNextAnswer(MessageBox::No);
        w.OpenStandardList(); // the command line still names the external file
        QCOMPARE(actions(load(external)), QByteArrayList{"as it was"});
        QVERIFY(!QFile::exists(StandardListPath()));
    }

    void commandLineListFiles()
    {
        TempData data;
        QDir().mkpath(data.folder);
        QVERIFY(SaveListFile(list({"standard"}), QString()).ok);
        const QString tdo = data.dir.path() + QStringLiteral("/Other.TDO");
        QVERIFY(SaveListFile(list({"other"}), tdo).ok);
        // A ".tdo" is shown in place of the standard list and saved as the standard list.
        TQuillmar w(tdo);
        QCOMPARE(w.ListMode, Mode::Standard);
        w.model()->appendItem(item("added"));
        w.SaveCurrentList();
        QCOMPARE(actions(load(StandardListPath())), (QByteArrayList{"other", "added"}));
        QCOMPARE(actions(load(tdo)), QByteArrayList{"other"});
    }

    void saveExternalFromStandardThenCancel()
    {
        TempData data;
        TQuillmar w;
        w.model()->appendItem(item("one"));
        MessageBox::setNextAnswer(MessageBox::Yes);
        FileDialog::setNextFileName(QString()); // cancelled
        QVERIFY(w.SaveExternalList().ok);
        QCOMPARE(MessageBox::lastText(),
                 QStringLiteral("This is the standard ToDo file. \r\nDo you want to save it as external file?"));
        QVERIFY(FileDialog::lastRequest().save && FileDialog::lastRequest().confirmOverwrite);
        QCOMPARE(w.ListMode, Mode::External);
        QVERIFY(w.ExternalFileName.isEmpty());

        // The next save asks for a name again; the standard file is no longer written.
        const int dialogs = FileDialog::requestCount();
        const QString target = data.dir.path() + QStringLiteral("/named.tdx");
        FileDialog::setNextFileName(target);
        w.ListSaved = false;
        w.SaveCurrentList();
        QCOMPARE(FileDialog::requestCount(), dialogs + 1);
        QCOMPARE(actions(load(target)), QByteArrayList{"one"});
        QCOMPARE(w.ExternalFileName, target);
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillmar, ext: named.tdx"));
        QVERIFY(!QFile::exists(StandardListPath()));
    }

    void savesThatDoNothing()
    {
        TempData data;
        TQuillmar w;
        QVERIFY(w.ListSaved);
        const int dialogs = FileDialog::requestCount();
        QVERIFY(w.SaveExternalList().ok);
        QVERIFY(MessageBox::shownTexts().isEmpty());
        QCOMPARE(FileDialog::requestCount(), dialogs);

        w.Savelistas1->trigger();
        QCOMPARE(MessageBox::lastText(), QStringLiteral("This is not the history file!"));
        QVERIFY(!QFile::exists(HistoryListPath()));
    }

    void newEmptyListKeepsNames()
    {
        TempData data;
        TQuillmar w;
        w.model()->ownerNames() << "Ann";
        w.model()->appendItem(item("saved first"));
        MessageBox::setNextAnswer(MessageBox::No);
        w.NewEmptyList();
        QCOMPARE(w.ListMode, Mode::Standard);
        QCOMPARE(w.model()->size(), 1);

        MessageBox::setNextAnswer(MessageBox::Yes);
        w.NewEmptyList();
        QCOMPARE(MessageBox::lastText(), QStringLiteral("You are about to create an empty todo list.  \r\nThe "
                                                        "standard ToDo list will be saved. Do you want to proceed? "));
        QCOMPARE(actions(load(StandardListPath())), QByteArrayList{"saved first"});
        QCOMPARE(w.ListMode, Mode::External);
        QCOMPARE(w.model()->size(), 0);
        QVERIFY(w.ListSaved);
        QCOMPARE(w.model()->list().OwnerNames, QByteArrayList{"Ann"});
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillmar : New empty ToDo file!"));
    }

    void failedLoadsChangeNothing()
    {
        TempData data;
        QDir().mkpath(data.folder);
        QVERIFY(SaveListFile(list({"mine"}), QString()).ok);
        const QString damaged = data.dir.path() + QStringLiteral("/damaged.tdx");
        QVERIFY(writeFile(damaged, QByteArray("\x09\x00\x00\x00", 4)));
        QVERIFY(writeFile(HistoryListPath(), QByteArray("\x01\x00\x00\x00\x01\x00\x00\x00", 8)));

        TQuillmar w;
        FileDialog::setNextFileName(damaged);
        w.OpenExternalList();
        QVERIFY(MessageBox::lastText().startsWith(QStringLiteral("Failure while opening the file")));
        QCOMPARE(w.ListMode, Mode::Standard);
        QVERIFY(w.ExternalFileName.isEmpty());
        QCOMPARE(actions(w.model()->list()), QByteArrayList{"mine"});

        w.LoadHistoryList();
        QVERIFY(MessageBox::lastText().startsWith(QStringLiteral("Failure while loading History file")));
        QCOMPARE(w.ListMode, Mode::Standard);
        QCOMPARE(w.windowTitle(), TQuillmar::standardCaption());

        // What is shown is still the standard list, and is saved there.
        w.model()->appendItem(item("more"));
        w.SaveCurrentList();
        QCOMPARE(actions(load(StandardListPath())), (QByteArrayList{"mine", "more"}));
    }

    void failedSaveIsReported()
    {
        TempData data;
        const QString unreachable = data.dir.path() + QStringLiteral("/no/such/folder/x.tdx");
        TQuillmar w;
        w.ListMode = Mode::External;
        w.ExternalFileName = unreachable;
        w.model()->appendItem(item("x"));
        MessageBox::setNextAnswer(MessageBox::Yes);
        QVERIFY(!w.SaveCurrentList());
        QVERIFY(MessageBox::lastText().startsWith(QStringLiteral("Failure while saving todo file")));
        // The changes are kept: still unsaved, and a switch to another list is refused.
        QVERIFY(!w.ListSaved);
        MessageBox::setNextAnswer(MessageBox::Yes);
        w.LoadHistoryList();
        QCOMPARE(w.ListMode, Mode::External);
        QCOMPARE(w.model()->rowCount(), 1);
        QVERIFY(!QFile::exists(HistoryListPath()));

        FileDialog::setNextFileName(unreachable);
        w.SaveExternalListAs();
        QVERIFY(MessageBox::lastText().startsWith(QStringLiteral("Failure saving the file")));
        QCOMPARE(w.ExternalFileName, unreachable);
    }
};

QTEST_MAIN(ListsTest)
#include "lists_test.moc"
