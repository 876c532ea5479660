// Find and filter, undo and redo, and the iCalendar export, driven as the user drives them: keys to the
// focused widget, the commands' actions, the editor and the dialogs' test hooks.
#include "MainWindowFixture.h"

#include "app/ReportView.h"
#include "app/TQuillmar.h"
#include "dialogs/ItemEditorDialog.h"
#include "dialogs/NameComboBox.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <random>

using namespace fixture;

namespace {
ToDoItem row(const char* action, bool checked = false, const char* remarks = "", const char* target = "")
{
    ToDoItem item = ToDoItem::make(CodePage::encodeLossy(QString::fromUtf8(action)), checked);
    item.setValue(ToDoItem::Remarks, CodePage::encodeLossy(QString::fromUtf8(remarks)));
    item.setValue(ToDoItem::Target, target);
    return item;
}

// What the list and the history file hold: what undo and redo must bring back exactly.
struct State
{
    QByteArray list;
    QByteArray history;
    bool operator==(const State&) const = default;
};
} // namespace

class FindUndoTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempData> data;
    std::unique_ptr<TQuillmar> w;

    ToDoListModel& rows() { return *w->document().model(); }
    ReportView* view() { return child<ReportView>(w.get(), "lstToDo"); }
    QLineEdit* findField() { return child<QLineEdit>(w.get(), "FilterText"); }
    QWidget* filterBar() { return child<QWidget>(w.get(), "FilterBar"); }
    QLabel* shownCount() { return child<QLabel>(w.get(), "ShownCount"); }
    QAction* statusChoice(const char* text)
    {
        for (QAction* a : child<QMenu>(w.get(), "FilterStatusMenu")->actions()) {
            if (a->text() == QLatin1String(text))
                return a;
        }
        qFatal("no status %s", text);
    }
    void setRows(std::vector<ToDoItem> items)
    {
        ToDoList list;
        list.items = std::move(items);
        rows().setList(std::move(list));
    }
    QStringList shownActions()
    {
        QStringList out;
        for (int r = 0; r < view()->model()->rowCount(); ++r)
            out << view()->model()->index(r, 0).data().toString();
        return out;
    }
    // The history as the user finds it a moment after a move: its rows have reached the file.
    bool moveDone()
    {
        return QTest::qWaitFor([this] { return !w->document().isMovingToHistory(); });
    }
    State state()
    {
        if (!moveDone())
            return {};
        const QByteArray history = bytes(HistoryListPath());
        return {SerializeList(rows().list(), true),
                QFileInfo(HistoryListPath()).isFile() ? history : QByteArray("<none>")};
    }
    void pressInFocus(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    // A key on the list, as the user presses it there after a dialog closed.
    bool pressOnList(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        QApplication::setActiveWindow(w.get());
        view()->setFocus();
        if (!QTest::qWaitFor([this] { return QApplication::focusWidget() == view(); }))
            return false;
        QTest::keyClick(view(), key, modifiers);
        return true;
    }

private Q_SLOTS:
    void init()
    {
        setUpOnce(QDateTime(QDate(2026, 3, 14), QTime(9, 15)));
        data = std::make_unique<TempData>();
        w = std::make_unique<TQuillmar>();
        w->startUp();
        w->document().setAutosaveDelay(0);
        w->show();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    void cleanup()
    {
        w.reset();
        data.reset();
    }

    // Ctrl+F opens the bar with the focus in it; typing narrows the rows (what matches is itemfilter_test's);
    // the drop-down narrows them to statuses; the status bar counts; Escape shows all again. That the bar
    // never changes the list is checked at every step of undoAndRedoBringBackEveryState.
    void findBarNarrowsTheShownRows()
    {
        setRows({row("Call Müller"), row("Buy milk", false, "cheap"), row("Pay invoice", true),
                 row("Walk", false, "invoice in the bag", "14.03.2026")});
        w->document().autosave();
        w->document().finishSaving();
        view()->setFocus();
        QVERIFY(!filterBar()->isVisible());
        pressInFocus(Qt::Key_F, Qt::ControlModifier);
        QVERIFY(filterBar()->isVisible());
        QCOMPARE(QApplication::focusWidget(), findField());

        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("invoice"));
        QCOMPARE(shownActions(), QStringList({"Pay invoice", "Walk"}));
        statusChoice("Completed")->trigger();
        QCOMPARE(shownActions(), QStringList{"Walk"});
        QVERIFY(shownCount()->isVisible());
        QCOMPARE(shownCount()->text(), QStringLiteral("1 of 4 shown"));
        // Choosing a status again brings its rows back: the shown rows are not narrowed then.
        statusChoice("Completed")->trigger();
        QCOMPARE(shownActions(), QStringList({"Pay invoice", "Walk"}));
        statusChoice("Completed")->trigger();

        pressInFocus(Qt::Key_Escape);
        QVERIFY(!filterBar()->isVisible());
        QVERIFY(!shownCount()->isVisible());
        QCOMPARE(shownActions().size(), 4);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(view()));
        pressInFocus(Qt::Key_F, Qt::ControlModifier);
        QVERIFY(findField()->text().isEmpty());
        pressInFocus(Qt::Key_Escape);

        // Keys typed while a long list's texts are still being folded are found once they are: none is lost.
        std::vector<ToDoItem> many(30000, row("Buy milk"));
        many[25000] = row("Call Müller");
        setRows(std::move(many));
        pressInFocus(Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("mull"));
        QTRY_COMPARE(shownActions(), QStringList{"Call Müller"});
    }

    // With rows left out, every command works on the selected shown rows, and on them only.
    void commandsActOnTheSelectedShownRows()
    {
        setRows({row("alpha 1"), row("beta 1", true), row("alpha 2", true), row("beta 2"), row("alpha 3")});
        // A selected row that the filter hides leaves the selection, and its commands go with it.
        selectRows(view(), {1});
        QVERIFY(action(w.get(), "actDeleteToHistory")->isEnabled());
        action(w.get(), "actFind")->trigger();
        findField()->setText(QStringLiteral("alpha"));
        QVERIFY(!action(w.get(), "actDeleteToHistory")->isEnabled() &&
                !action(w.get(), "actEdit")->isEnabled());
        QCOMPARE(shownActions(), QStringList({"alpha 1", "alpha 2", "alpha 3"}));
        // Ctrl+A on the list selects the shown rows, all of them and only them.
        view()->setFocus();
        pressInFocus(Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(view()->selectionModel()->selectedRows().size(), 3);
        QVERIFY(action(w.get(), "actDeleteToHistory")->isEnabled());

        // Select completed items: only the shown ones.
        action(w.get(), "BtnCheckSelected")->trigger();
        QCOMPARE(view()->selectionModel()->selectedRows().size(), 1);
        action(w.get(), "BtnUncheckSelected")->trigger();
        QVERIFY(!rows().item(2).checked());
        QVERIFY(rows().item(1).checked());

        // A tick in a check box reaches the row behind it.
        view()->model()->setData(view()->model()->index(2, 0), Qt::Checked, Qt::CheckStateRole);
        QVERIFY(rows().item(4).checked());

        selectRows(view(), {1});
        whenModal<ItemEditorDialog>([](ItemEditorDialog& dlg) {
            QCOMPARE(child<QPlainTextEdit>(&dlg, "ActionEdit")->toPlainText(), QStringLiteral("alpha 2"));
            child<QPlainTextEdit>(&dlg, "RemarksEdit")->setPlainText(QStringLiteral("edited"));
            child<QPushButton>(&dlg, "OKButt")->click();
        });
        action(w.get(), "actEdit")->trigger();
        QCOMPARE(rows().item(2).value(ToDoItem::Remarks), QByteArrayView("edited"));

        selectRows(view(), {1, 2});
        messages().setNextAnswer(MessageBox::Yes);
        action(w.get(), "ActDeleteItem")->trigger();
        QCOMPARE(actions(rows().list()), QByteArrayList({"alpha 1", "beta 1", "beta 2"}));

        selectRows(view(), {0});
        action(w.get(), "actDeleteToHistory")->trigger();
        QCOMPARE(actions(rows().list()), QByteArrayList({"beta 1", "beta 2"}));
        QVERIFY(moveDone());
        QCOMPARE(actions(load(HistoryListPath(), true)), QByteArrayList{"alpha 1"});

        // A new item that the bar leaves out is added all the same, and the user is told.
        whenModal<ItemEditorDialog>([](ItemEditorDialog& dlg) {
            child<QPlainTextEdit>(&dlg, "ActionEdit")->setPlainText(QStringLiteral("gamma"));
            child<QPushButton>(&dlg, "OKButt")->click();
        });
        action(w.get(), "actInsAction")->trigger();
        QCOMPARE(rows().size(), 3);
        QCOMPARE(child<QLabel>(w.get(), "EditNotice")->text(),
                 QStringLiteral("The new item is not shown: the find bar leaves it out."));
    }

    // Random sequences of the commands, with undo and redo from the Edit menu and Ctrl+Z / Ctrl+Shift+Z
    // on the list, some of them on filtered rows: after each step the list (rows and names) and the
    // history file are exactly what they were after the step that undo or redo goes back or forth to.
    void undoAndRedoBringBackEveryState()
    {
        std::mt19937 random(1414);
        auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        const char* words[] = {"apple", "Birne", "cherry", "Müsli", "eggs"};
        auto word = [&] { return QString::fromUtf8(words[pick(5)]) + QString::number(pick(50)); };
        setRows({row("apple 1"), row("Birne 2", true), row("cherry 3")});
        QList<State> states{state()};
        int at = 0;
        const QString csv = data->dir.filePath(QStringLiteral("in.csv"));
        action(w.get(), "actFind")->trigger();

        for (int step = 0; step < 160; ++step) {
            const int op = pick(13);
            const int shown = view()->model()->rowCount();
            QList<int> chosen;
            for (int r = 0; r < shown; ++r) {
                if (pick(3) == 0)
                    chosen << r;
            }
            view()->selectionModel()->clearSelection();
            for (int r : chosen)
                view()->selectionModel()->select(view()->model()->index(r, 0),
                                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
            bool undoing = false;
            bool redoing = false;
            switch (op) {
            case 0: { // add, sometimes with a new owner name
                const QString text = word();
                const bool newName = pick(2) == 0;
                whenModal<ItemEditorDialog>([text, newName](ItemEditorDialog& dlg) {
                    child<QPlainTextEdit>(&dlg, "ActionEdit")->setPlainText(text);
                    if (newName) {
                        auto* owner = child<NameComboBox>(&dlg, "OwnerCombo");
                        owner->setEditText(text);
                        owner->addTypedName();
                    }
                    child<QPushButton>(&dlg, "OKButt")->click();
                });
                action(w.get(), "actInsAction")->trigger();
                break;
            }
            case 1: // edit
                if (chosen.size() == 1) {
                    const QString text = word();
                    whenModal<ItemEditorDialog>([text](ItemEditorDialog& dlg) {
                        child<QPlainTextEdit>(&dlg, "RemarksEdit")->setPlainText(text);
                        child<QPushButton>(&dlg, "OKButt")->click();
                    });
                    action(w.get(), "actEdit")->trigger();
                }
                break;
            case 2:
                messages().setNextAnswer(MessageBox::Yes);
                action(w.get(), "ActDeleteItem")->trigger();
                break;
            case 3:
                action(w.get(), "actDeleteToHistory")->trigger();
                break;
            case 4:
                action(w.get(), "BtnUncheckSelected")->trigger();
                break;
            case 5:
                if (shown > 0) {
                    const QModelIndex box = view()->model()->index(pick(shown), 0);
                    view()->model()->setData(
                        box,
                        box.data(Qt::CheckStateRole).toInt() == Qt::Checked ? Qt::Unchecked : Qt::Checked,
                        Qt::CheckStateRole);
                }
                break;
            case 6:
                QVERIFY(writeFile(csv, CodePage::encodeLossy(word() + QStringLiteral(",1\r\n") + word() +
                                                             QStringLiteral(",2\r\n"))));
                files().setNextFileName(csv);
                action(w.get(), "actImportCSV")->trigger();
                QTRY_VERIFY(jobsFinished(w.get()));
                break;
            case 7:
                Q_EMIT view()->header()->sectionClicked(pick(2) == 0 ? 0 : 1 + pick(4));
                break;
            case 8: // the find bar changes what is shown, never the list
                findField()->setText(pick(3) == 0 ? QString() : QString::fromUtf8(words[pick(5)]).left(3));
                break;
            case 9:
            case 10:
                undoing = true;
                if (pick(2) == 0) {
                    QVERIFY(pressOnList(Qt::Key_Z, Qt::ControlModifier));
                } else {
                    action(w.get(), "actUndo")->trigger();
                }
                break;
            default:
                redoing = true;
                if (pick(2) == 0) {
                    QVERIFY(pressOnList(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier));
                } else {
                    action(w.get(), "actRedo")->trigger();
                }
                break;
            }
            if (undoing) {
                at = std::max(0, at - 1);
            } else if (redoing) {
                at = std::min(int(states.size()) - 1, at + 1);
            } else if (state() != states[at]) {
                states.erase(states.begin() + at + 1, states.end());
                states.append(state());
                ++at;
            }
            QVERIFY2(state() == states[at], qPrintable(QStringLiteral("step %1, op %2").arg(step).arg(op)));
            QCOMPARE(action(w.get(), "actUndo")->isEnabled(), at > 0);
            QCOMPARE(action(w.get(), "actRedo")->isEnabled(), at < states.size() - 1);
            QStringList told = messages().shownTexts();
            told.removeAll(QStringLiteral("Do you really want to delete this to-do item?"));
            QVERIFY2(told.isEmpty(), qPrintable(told.join(u'|')));
        }

        // All the way back, and the list file holds the first list again.
        int undone = 0;
        for (; action(w.get(), "actUndo")->isEnabled(); ++undone)
            action(w.get(), "actUndo")->trigger();
        QCOMPARE(undone, at);
        QVERIFY(state() == states.first());
        UnattendedPrompter nobody;
        QVERIFY(w->document().SaveCurrentList(nobody));
        QCOMPARE(bytes(StandardListPath()), states.first().list);
    }

    // Undoing a move to history takes the rows out of the history file again; when that file cannot be
    // written nothing changes and the user is told; rows that are no longer in it cannot come back, and
    // nor can anything before them. Another list empties the undo history and says so.
    void undoOfAMoveToHistoryAndItsFailures()
    {
        setRows({row("a"), row("b"), row("c")});
        selectRows(view(), {0, 2});
        action(w.get(), "actDeleteToHistory")->trigger();
        QCOMPARE(action(w.get(), "actUndo")->text(), QStringLiteral("&Undo move to history"));
        action(w.get(), "actUndo")->trigger();
        QCOMPARE(actions(rows().list()), QByteArrayList({"a", "b", "c"}));
        QVERIFY(load(HistoryListPath(), true).isEmpty());
        QCOMPARE(action(w.get(), "actRedo")->text(), QStringLiteral("&Redo move to history"));
        action(w.get(), "actRedo")->trigger();
        QVERIFY(moveDone());
        QCOMPARE(actions(load(HistoryListPath(), true)), QByteArrayList({"a", "c"}));

        // The history file cannot be written: a folder stands in its place.
        const QByteArray history = bytes(HistoryListPath());
        QVERIFY(QFile::remove(HistoryListPath()));
        QVERIFY(QDir().mkdir(HistoryListPath()));
        action(w.get(), "actUndo")->trigger();
        QVERIFY2(messages().lastText().startsWith(QStringLiteral("Failure saving the file")),
                 qPrintable(messages().lastText()));
        QCOMPARE(actions(rows().list()), QByteArrayList{"b"});
        QVERIFY(action(w.get(), "actUndo")->isEnabled());
        // Nor can a move: its row comes back and the user is told.
        messages().reset();
        selectRows(view(), {0});
        action(w.get(), "actDeleteToHistory")->trigger();
        QVERIFY(rows().list().items.empty());
        QTRY_VERIFY(messages().lastText().startsWith(QStringLiteral("The items could not be moved")));
        QCOMPARE(actions(rows().list()), QByteArrayList{"b"});
        QVERIFY(QDir().rmdir(HistoryListPath()));
        QVERIFY(writeFile(HistoryListPath(), history));
        action(w.get(), "actUndo")->trigger();
        QCOMPARE(actions(rows().list()), QByteArrayList({"a", "b", "c"}));
        // Done again, the move appends beside the window; when that fails its rows come back, it waits to
        // be done again, and the list is as saved before.
        UnattendedPrompter nobody;
        QVERIFY(w->document().SaveCurrentList(nobody));
        QVERIFY(load(HistoryListPath(), true).isEmpty());
        QFile::remove(HistoryListPath());
        QVERIFY(QDir().mkdir(HistoryListPath()));
        messages().reset();
        QVERIFY(pressOnList(Qt::Key_Y, Qt::ControlModifier));
        QTRY_VERIFY(messages().lastText().startsWith(QStringLiteral("The items could not be moved")));
        QCOMPARE(actions(rows().list()), QByteArrayList({"a", "b", "c"}));
        QCOMPARE(action(w.get(), "actRedo")->text(), QStringLiteral("&Redo move to history"));
        QVERIFY(!w->document().isModified());
        QVERIFY(QDir().rmdir(HistoryListPath()));
        QVERIFY(pressOnList(Qt::Key_Y, Qt::ControlModifier));
        QVERIFY(moveDone());
        QCOMPARE(actions(rows().list()), QByteArrayList{"b"});
        QCOMPARE(actions(load(HistoryListPath(), true)), QByteArrayList({"a", "c"}));
        // Taken back and done again, it finds its rows where this redo put them.
        QVERIFY(pressOnList(Qt::Key_Z, Qt::ControlModifier));
        QCOMPARE(actions(rows().list()), QByteArrayList({"a", "b", "c"}));
        QVERIFY(load(HistoryListPath(), true).isEmpty());
        QVERIFY(pressOnList(Qt::Key_Y, Qt::ControlModifier));
        QVERIFY(moveDone());

        // Someone emptied the history file: the rows are in neither place, and stay so.
        QVERIFY(SaveHistoryFile(ToDoList(), HistoryListPath()));
        messages().reset();
        action(w.get(), "actUndo")->trigger();
        QVERIFY(messages().lastText().contains(QStringLiteral("no longer in the history file")));
        QCOMPARE(actions(rows().list()), QByteArrayList{"b"});
        QVERIFY(!action(w.get(), "actUndo")->isEnabled());
        QVERIFY(!action(w.get(), "actRedo")->isEnabled());

        selectRows(view(), {0});
        messages().setNextAnswer(MessageBox::Yes);
        action(w.get(), "ActDeleteItem")->trigger();
        QVERIFY(action(w.get(), "actUndo")->isEnabled());
        action(w.get(), "actLoadHistory")->trigger();
        QCOMPARE(w->document().mode(), ListMode::History);
        QVERIFY(!action(w.get(), "actUndo")->isEnabled());
        QVERIFY(child<QLabel>(w.get(), "EditNotice")->isVisible());
    }

    // "Export to iCalendar" writes every row, also those the find bar leaves out.
    void iCalendarExportFromTheMenu()
    {
        setRows({row("first"), row("second", true)});
        action(w.get(), "actFind")->trigger();
        findField()->setText(QStringLiteral("first"));
        const QString out = data->dir.filePath(QStringLiteral("list.ics"));
        files().setNextFileName(out);
        action(w.get(), "actExportICalendar")->trigger();
        QTRY_VERIFY(jobsFinished(w.get()));
        QCOMPARE(files().lastRequest().defaultSuffix, QStringLiteral("ics"));
        QCOMPARE(bytes(out).count("BEGIN:VTODO"), 2);
    }
};

QTEST_MAIN(FindUndoTest)
#include "find_undo_test.moc"
