// The commands that change rows, driven as the user drives them: actions, the editor, keys.
#include "MainWindowFixture.h"

#include "app/ReportView.h"
#include "app/TQuillmar.h"
#include "dialogs/ItemEditorDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>
#include <QtTest>

#include <memory>

using namespace fixture;

namespace {
ToDoItem row(const char* action, std::initializer_list<const char*> values, bool checked = false)
{
    ToDoItem item;
    item.setAction(action);
    for (const char* v : values)
        item.appendValue(v);
    item.setChecked(checked);
    return item;
}
} // namespace

class ItemsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempData> data;
    std::unique_ptr<TQuillmar> w;

    void start(const QByteArray& ini = {})
    {
        w.reset();
        if (!ini.isEmpty())
            data->writeIni(ini);
        w = std::make_unique<TQuillmar>();
        w->startUp();
        QCOMPARE(w->document().mode(), ListMode::Standard);
    }
    ToDoListModel& rows() { return *w->document().model(); }
    ReportView* view() { return child<ReportView>(w.get(), "lstToDo"); }
    void setRows(std::vector<ToDoItem> items)
    {
        ToDoList list;
        list.items = std::move(items);
        rows().setList(std::move(list));
    }
    int historyCount()
    {
        ToDoList history;
        return LoadHistoryFile(history, HistoryListPath()).ok ? history.size() : -1;
    }

private Q_SLOTS:
    void init()
    {
        setUpOnce(QDateTime(QDate(2026, 3, 14), QTime(9, 15, 0)));
        data = std::make_unique<TempData>();
        start();
    }

    void cleanup()
    {
        w.reset();
        data.reset();
        // A test that ended the session leaves the boxes answerable again for the next one.
        MessageBox::setUnattended(false);
    }

    // A double click edits the row it is on, and the memos show the edited texts at once; what OK writes
    // back is editor_test's.
    void doubleClickEdits()
    {
        setRows(
            {row("alarm row",
                 {"2", "01.03.2026", "20.03.2026", "", "", "", "14:30:00", "/media/gone/plan.odt"}, true)});
        selectRows(view(), {0});
        whenModal<ItemEditorDialog>([](ItemEditorDialog& dlg) {
            QCOMPARE(dlg.windowTitle(), QStringLiteral("Quillmar: Edit ToDo item"));
            child<QPlainTextEdit>(&dlg, "RemarksEdit")->setPlainText(QStringLiteral("new remark"));
            child<QPushButton>(&dlg, "OKButt")->click();
        });
        Q_EMIT view()->doubleClicked(view()->model()->index(0, 0));
        const ToDoItem& item = rows().item(0);
        QVERIFY(item.checked());
        QCOMPARE(item.value(ToDoItem::Remarks), QByteArrayView("new remark"));
        QCOMPARE(item.value(ToDoItem::AlarmTime), QByteArrayView("14:30:00"));
        QCOMPARE(child<QTextEdit>(w.get(), "RemarksMemo")->toPlainText(), QStringLiteral("new remark"));
    }

    // The session ends while the user is typing in the editor: what was typed reaches the list file, as
    // a new item or as the change of the edited one, once, and the editor closes.
    void anOpenEditorIsKeptWhenTheSessionEnds()
    {
        for (const bool adding : {true, false}) {
            start();
            setRows({row("first", {})});
            w->document().autosave();
            w->document().finishSaving();
            selectRows(view(), {0});
            QPointer<ItemEditorDialog> editor;
            whenModal<ItemEditorDialog>([&](ItemEditorDialog& dlg) {
                editor = &dlg;
                QTRY_COMPARE(QApplication::focusWidget(), child<QWidget>(&dlg, "ActionEdit"));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
                QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(" typed"));
                w->endSession();
            });
            action(w.get(), adding ? "actInsAction" : "actEdit")->trigger();
            QVERIFY(editor.isNull() || !editor->isVisible());
            const QByteArrayList expected =
                adding ? QByteArrayList{"first", " typed"} : QByteArrayList{"first typed"};
            QCOMPARE(actions(w->document().list()), expected);
            QCOMPARE(actions(load(StandardListPath())), expected);
        }
    }

    // The keys of the commands reach them from where the user is: Ctrl+N anywhere in the window, Enter
    // and F2 on a selected row.
    void keysReachTheirCommands()
    {
        setRows({row("a", {})});
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        view()->setFocus();
        selectRows(view(), {0});
        struct Key
        {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            const char* title;
        };
        for (const Key& k : {Key{Qt::Key_N, Qt::ControlModifier, "Quillmar: Add new ToDo item"},
                             Key{Qt::Key_Insert, Qt::NoModifier, "Quillmar: Add new ToDo item"},
                             Key{Qt::Key_Return, Qt::NoModifier, "Quillmar: Edit ToDo item"},
                             Key{Qt::Key_F2, Qt::NoModifier, "Quillmar: Edit ToDo item"}}) {
            QString opened;
            whenModal<ItemEditorDialog>([&opened](ItemEditorDialog& dlg) {
                opened = dlg.windowTitle();
                child<QPushButton>(&dlg, "CancelBut")->click();
            });
            QApplication::setActiveWindow(w.get());
            view()->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(view()));
            QTest::keyClick(QApplication::focusWidget(), k.key, k.modifiers);
            QCOMPARE(opened, QString::fromLatin1(k.title));
            QCOMPARE(actions(rows().list()), QByteArrayList{"a"}); // Cancel adds and changes nothing
        }
    }

    // Typing in the list starts the quick-add line, Ctrl+L reaches it from anywhere; Enter adds the item
    // with the Target its last word names and empties the line. A text the list file cannot hold is
    // refused with the editor's message and stays in the line.
    void quickAddFromTheKeyboard()
    {
        setRows({row("a", {})});
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        view()->setFocus();
        auto type = [](const QString& text) {
            for (const QChar c : text)
                QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        };
        type(QStringLiteral("call Bob friday"));
        auto* line = child<QLineEdit>(w.get(), "QuickAdd");
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(line));
        QTest::keyClick(line, Qt::Key_Return);
        view()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::ControlModifier);
        type(QStringLiteral("pay rent 2026-04-01"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(line->text(), QString());
        line->setText(QStringLiteral("\u0416ournal"));
        QTest::keyClick(line, Qt::Key_Return);
        QCOMPARE(messages().shownTexts().size(), 1);
        QCOMPARE(line->text(), QStringLiteral("\u0416ournal"));

        w->document().autosave();
        w->document().finishSaving();
        const ToDoList saved = load(StandardListPath());
        QCOMPARE(actions(saved), (QByteArrayList{"a", "call Bob", "pay rent"}));
        QCOMPARE(saved.items[1].value(ToDoItem::Target), QByteArrayView("20.03.2026"));
        QCOMPARE(saved.items[1].value(ToDoItem::DateIn), QByteArrayView("14.03.2026"));
        QCOMPARE(saved.items[2].value(ToDoItem::Target), QByteArrayView("01.04.2026"));
    }

    // The Delete key goes to the widget with the focus: it deletes rows only when that is the list, and
    // asks once for all the selected rows; No keeps them.
    void deleteKeyOnlyInTheList()
    {
        setRows({row("a", {}), row("b", {}), row("c", {})});
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        selectRows(view(), {0, 2});
        child<QTextEdit>(w.get(), "ActionMemo")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QVERIFY(messages().shownTexts().isEmpty());
        view()->setFocus();
        for (const MessageBox::Button answer : {MessageBox::No, MessageBox::Yes}) {
            messages().setNextAnswer(answer);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        }
        QCOMPARE(messages().shownTexts().size(), 2);
        QCOMPARE(actions(rows().list()), QByteArrayList{"b"});
    }

    // An alarm that falls due while the editor is open can be answered at once (a click that travels the
    // platform's path, which drops clicks on windows a modal dialog blocks), and outlives the editor.
    void alarmBoxIsAnswerableWhileTheEditorIsOpen()
    {
        w->setSoundPlayer(nullptr);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        rows().appendItem(row("first", {"", "", "14.03.2026", "", "", "", "09:15:30", ""}));
        rows().appendItem(row("second", {"", "", "14.03.2026", "", "", "", "09:16:30", ""}));
        for (const QTime now : {QTime(9, 15, 31), QTime(9, 16, 31)}) {
            QPointer<QMessageBox> box;
            whenModal<ItemEditorDialog>([&](ItemEditorDialog& dlg) {
                Clock::setNow(QDateTime(QDate(2026, 3, 14), now));
                auto findBox = [] {
                    for (QWidget* widget : QApplication::allWidgets())
                        if (widget->objectName() == QLatin1String("AlarmBox") && widget->isVisible())
                            return qobject_cast<QMessageBox*>(widget);
                    return static_cast<QMessageBox*>(nullptr);
                };
                QTRY_VERIFY_WITH_TIMEOUT((box = findBox()), 3000);
                QTRY_VERIFY(box->isVisible() && box->windowHandle());
                if (now == QTime(9, 15, 31)) {
                    QAbstractButton* ok = box->button(QMessageBox::Ok);
                    QTest::mouseClick(box->windowHandle(), Qt::LeftButton, {},
                                      ok->mapTo(box, ok->rect().center()));
                    QTRY_VERIFY(!box || !box->isVisible());
                }
                child<QPushButton>(&dlg, "CancelBut")->click();
            });
            action(w.get(), "actInsAction")->trigger();
            if (now == QTime(9, 16, 31)) {
                QTRY_VERIFY(box && box->isVisible() && !box->parent());
                box->close();
            }
        }
    }
};

QTEST_MAIN(ItemsTest)
#include "items_test.moc"
