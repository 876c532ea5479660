// The File and Im-Export menus as the user works them: each switch saves the shown list by its own mode,
// asks its questions in the window's boxes and dialogs, and the caption follows.
#include "MainWindowFixture.h"

#include "app/TQuillmar.h"

#include <QMessageBox>
#include <QTest>

using namespace fixture;

class ListsTest : public QObject
{
    Q_OBJECT

private:
    static void run(TQuillmar& w, const char* command) { action(&w, command)->trigger(); }
    static ToDoListModel& rows(TQuillmar& w) { return *w.document().model(); }

private Q_SLOTS:
    void initTestCase() { setUpOnce(); }

    void eachSwitchSavesByItsOwnMode()
    {
        TempData data;
        const QString external = data.dir.path() + QStringLiteral("/work.tdx");
        QDir().mkpath(data.folder);
        QVERIFY(SaveListFile(list({"ext"}), external).ok);
        TQuillmar w;
        w.startUp();

        // Standard -> history: the standard list is written to its file.
        rows(w).appendItem(item("std item"));
        QCOMPARE(w.windowTitle(), ListDocument::standardCaption() + QStringLiteral("[*]"));
        QVERIFY(w.isWindowModified());
        run(w, "actLoadHistory");
        QCOMPARE(actions(load(StandardListPath())), QByteArrayList{"std item"});
        QCOMPARE(w.document().mode(), ListMode::History);
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillmar: History file[*]"));
        QVERIFY(!w.isWindowModified());

        // History -> external: the history file gets the items, without names.
        rows(w).appendItem(item("hist item", true));
        files().setNextFileName(external);
        run(w, "actOpenExternal");
        QCOMPARE(actions(load(HistoryListPath(), true)), QByteArrayList{"hist item"});
        QCOMPARE(files().lastRequest().folder, DataFolder());
        QCOMPARE(files().lastRequest().filter, QStringLiteral("Ext. Todo files (*.tdx)"));
        QCOMPARE(w.document().externalFileName(), external);
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillmar, ext: work.tdx[*]"));

        // External -> standard: asked first (Yes, No or Cancel), then written back to the external file.
        rows(w).appendItem(item("ext item"));
        messages().setNextAnswer(MessageBox::Cancel);
        run(w, "OpenStandardToDo");
        QCOMPARE(w.document().mode(), ListMode::External);
        messages().setNextAnswer(MessageBox::Yes);
        run(w, "OpenStandardToDo");
        QCOMPARE(messages().lastText(),
                 QStringLiteral("The file has changed.\n\rSave it as:\n\r") + external);
        QCOMPARE(actions(load(external)), (QByteArrayList{"ext", "ext item"}));
        QCOMPARE(w.document().mode(), ListMode::Standard);
        QCOMPARE(actions(w.document().list()), QByteArrayList{"std item"});

        // Outside the history list "Save history Todo" cannot act, so it is off.
        QVERIFY(!action(&w, "actSaveHistory")->isEnabled());

        // An unchanged list asks nothing when another is shown, and "Save external" says it is saved.
        files().setNextFileName(external);
        run(w, "actOpenExternal");
        messages().reset();
        run(w, "actSaveExternal");
        QCOMPARE(messages().shownTexts(), QStringList{QStringLiteral("Nothing to save: ") + external +
                                                      QStringLiteral(" holds the list as it is shown.")});
        run(w, "OpenStandardToDo");
        QCOMPARE(messages().shownTexts().size(), 1);
    }

    // Ctrl+Q with a new list that never had a file asks first, before any file dialog: Cancel stays, Save
    // then asks for the file. "Save external" on a changed list saves it without a question.
    void exitAsksBeforeTheFileDialog()
    {
        TempData data;
        TQuillmar w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.startUp();
        messages().setNextAnswer(MessageBox::Yes); // an empty list, yes
        run(w, "actNewExternal");
        rows(w).appendItem(item("new"));
        const QString file = data.dir.path() + QStringLiteral("/new.tdx");
        files().setNextFileName(file);
        messages().reset();
        for (const MessageBox::Button answer : {MessageBox::Cancel, MessageBox::Save}) {
            messages().setNextAnswer(answer);
            QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
        }
        QCOMPARE(messages().shownTexts().size(), 2);
        QCOMPARE(actions(load(file)), QByteArrayList{"new"});

        rows(w).appendItem(item("more"));
        messages().reset();
        run(w, "actSaveExternal");
        QVERIFY(messages().shownTexts().isEmpty());
        QCOMPARE(actions(load(file)), (QByteArrayList{"new", "more"}));
    }

    // Escape or the close button on the real "Restore them?" box keeps the copy for the next start (that
    // Save as never lands on the program's own files is listdocument_test's, undo of a move to history
    // find_undo_test's).
    void restoreBoxClosedKeepsTheCopy()
    {
        TempData data;
        QDir().mkpath(data.folder);
        QVERIFY(SaveListFile(list({"kept"}), data.path("Recovery.tdx")).ok);
        MessageBox::setPresenter(nullptr); // the real box, to press Escape on it
        for (const bool closeButton : {false, true}) {
            TQuillmar w;
            w.show();
            whenModal<QMessageBox>([closeButton](QMessageBox& box) {
                QVERIFY(box.text().contains(QLatin1String("Restore them?")));
                if (closeButton)
                    box.close();
                else
                    QTest::keyClick(&box, Qt::Key_Escape);
            });
            w.startUp();
            QVERIFY(QFile::exists(data.path("Recovery.tdx")));
            w.endSession();
            MessageBox::setUnattended(false);
        }
        quietDialogs(true);
    }

    void newEmptyListKeepsNames()
    {
        TempData data;
        TQuillmar w;
        w.startUp();
        rows(w).setNames({"Ann"}, {});
        rows(w).appendItem(item("saved first"));
        messages().setNextAnswer(MessageBox::Yes);
        run(w, "actNewExternal");
        QCOMPARE(actions(load(StandardListPath())), QByteArrayList{"saved first"});
        QCOMPARE(w.document().mode(), ListMode::External);
        QCOMPARE(rows(w).size(), 0);
        QCOMPARE(rows(w).ownerNames(), QByteArrayList{"Ann"});
        QCOMPARE(w.windowTitle(), QStringLiteral("Quillmar : New empty ToDo file![*]"));
    }

    // A damaged history file is reported and changes nothing (a damaged list opened is
    // listdocument_test's CommandLineFilesNeverReplaceTheStandardList).
    void failedLoadChangesNothing()
    {
        TempData data;
        QDir().mkpath(data.folder);
        QVERIFY(SaveListFile(list({"mine"}), StandardListPath()).ok);
        QVERIFY(writeFile(HistoryListPath(), QByteArray("\x01\x00\x00\x00\x01\x00\x00\x00", 8)));
        TQuillmar w;
        w.startUp();
        run(w, "actLoadHistory");
        QVERIFY(messages().lastText().startsWith(QStringLiteral("Failure while loading History file")));
        QCOMPARE(w.document().mode(), ListMode::Standard);
        QCOMPARE(actions(w.document().list()), QByteArrayList{"mine"});
    }
};

QTEST_MAIN(ListsTest)
#include "lists_test.moc"
