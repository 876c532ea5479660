#include "MainWindowFixture.h"

#include "app/TQuillmar.h"
#include "dialogs/TToDoDlgFrm.h"

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTreeView>
#include <QtTest>

#include <functional>
#include <memory>

namespace {
// Runs step on the editor once its modal loop is running.
void whenEditorOpens(std::function<void(TToDoDlgFrm&)> step)
{
    QTimer::singleShot(0, [step] {
        if (auto* dlg = qobject_cast<TToDoDlgFrm*>(QApplication::activeModalWidget()))
            step(*dlg);
        else
            whenEditorOpens(step);
    });
}

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
    std::unique_ptr<fixture::TempData> data;
    std::unique_ptr<TQuillmar> w;

    void setRows(std::vector<ToDoItem> items)
    {
        ToDoList list;
        list.items = std::move(items);
        w->model()->setList(std::move(list));
    }

    int historyCount()
    {
        ToDoList history;
        return LoadHistoryFile(history).ok ? history.size() : -1;
    }

private Q_SLOTS:
    void init()
    {
        fixture::setUpOnce(QDateTime(QDate(2026, 3, 14), QTime(9, 15, 0)));
        data = std::make_unique<fixture::TempData>();
        w = std::make_unique<TQuillmar>();
        QCOMPARE(w->ListMode, TQuillmar::TListMode::Standard);
    }

    void cleanup()
    {
        w.reset();
        data.reset();
    }

    // The begin-date setting decides whether a new row gets its dates; Cancel adds nothing.
    void addUsesTheBeginDateSetting()
    {
        for (bool useBeginDate : {true, false}) {
            w->UseBeginDate = useBeginDate;
            whenEditorOpens([](TToDoDlgFrm& dlg) {
                QCOMPARE(dlg.windowTitle(), QStringLiteral("Quillmar: Add new ToDo item"));
                dlg.Memo1->setPlainText(QStringLiteral("Water plants"));
                dlg.OKButtClick();
            });
            w->actInsAction->trigger();
            const ToDoItem& item = w->model()->item(w->model()->size() - 1);
            QCOMPARE(item.action(), QByteArrayView("Water plants"));
            QCOMPARE(item.valueCount(), ToDoItem::ColumnCount);
            QCOMPARE(item.value(ToDoItem::DateIn), QByteArrayView(useBeginDate ? "14.03.2026" : ""));
            QCOMPARE(item.value(ToDoItem::Target), QByteArrayView(useBeginDate ? "15.03.2026" : ""));
        }
        QVERIFY(!w->ListSaved);
        whenEditorOpens([](TToDoDlgFrm& dlg) {
            dlg.Memo1->setPlainText(QStringLiteral("never added"));
            dlg.CancelButClick();
        });
        w->AddItem(QDateTime());
        QCOMPARE(w->model()->size(), 2);
    }

    // OK writes back what was edited and leaves the alarm and a missing document's path as they were.
    void editWritesBack()
    {
        setRows(
            {row("alarm row",
                 {"2", "01.03.2026", "20.03.2026", "", "", "", "14:30:00", "/media/gone/plan.odt"}, true)});
        w->selectRows({0});
        whenEditorOpens([](TToDoDlgFrm& dlg) {
            QCOMPARE(dlg.windowTitle(), QStringLiteral("Quillmar: Edit ToDo item"));
            dlg.Memo2->setPlainText(QStringLiteral("new remark"));
            dlg.OKButtClick();
        });
        w->actEditExecute();
        const ToDoItem& item = w->model()->item(0);
        QVERIFY(item.checked());
        QCOMPARE(item.value(ToDoItem::Priority), QByteArrayView("2"));
        QCOMPARE(item.value(ToDoItem::DateIn), QByteArrayView("01.03.2026"));
        QCOMPARE(item.value(ToDoItem::Remarks), QByteArrayView("new remark"));
        QCOMPARE(item.value(ToDoItem::AlarmTime), QByteArrayView("14:30:00"));
        QCOMPARE(item.value(ToDoItem::FileLocation), QByteArrayView("/media/gone/plan.odt"));
    }

    void deleteAsksOnceForAllSelected()
    {
        setRows({row("a", {}), row("b", {}), row("c", {}), row("d", {})});
        w->selectRows({0, 1, 3});
        QVERIFY(w->ActDeleteItem->isEnabled());
        QVERIFY(!w->actEdit->isEnabled());
        MessageBox::setNextAnswer(MessageBox::No);
        w->ActDeleteItem->trigger();
        QCOMPARE(w->model()->size(), 4);
        MessageBox::setNextAnswer(MessageBox::Yes);
        w->ActDeleteItem->trigger();
        QCOMPARE(w->model()->size(), 1);
        QCOMPARE(w->model()->item(0).action(), QByteArrayView("c"));
        QCOMPARE(
            MessageBox::shownTexts().count(QStringLiteral("Do you really want to delete this ToTo item?")),
            2);
        QVERIFY(!w->ActDeleteItem->isEnabled());
    }

    void moveToHistory()
    {
        const int before = historyCount();
        setRows({row("a", {}, true), row("b", {}), row("c", {}, true)});
        w->selectRows({0, 2});
        w->actDeleteToHistory->trigger();
        QCOMPARE(w->model()->size(), 1);
        QCOMPARE(historyCount(), std::max(before, 0) + 2);
        QVERIFY(MessageBox::shownTexts().isEmpty());

        // External lists are the user's own: moving works there too.
        w->ListMode = TQuillmar::TListMode::External;
        w->selectRows({0});
        w->actDeleteToHistory->trigger();
        QCOMPARE(w->model()->size(), 0);
        QCOMPARE(historyCount(), std::max(before, 0) + 3);

        // On the history list itself both commands stay refused.
        w->ListMode = TQuillmar::TListMode::History;
        setRows({row("x", {})});
        w->selectRows({0});
        w->actDeleteToHistory->trigger();
        MessageBox::setNextAnswer(MessageBox::Yes);
        w->ActDeleteItem->trigger();
        QCOMPARE(w->model()->size(), 1);
        QCOMPARE(MessageBox::shownTexts().count(QStringLiteral("This is the history file!")), 2);
    }

    void failedHistoryAppendKeepsRows()
    {
        setRows({row("a", {})});
        w->selectRows({0});
        // A folder where the history file should be cannot be written as a file.
        QDir().mkpath(HistoryListPath());
        w->actDeleteToHistory->trigger();
        QCOMPARE(w->model()->size(), 1);
        QVERIFY(MessageBox::lastText().startsWith(QStringLiteral("Failure saving the file")));
    }

    // The Delete key acts on rows only while the list has the focus.
    void deleteKeyOnlyInTheList()
    {
        setRows({row("a", {}), row("b", {})});
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->selectRows({0});
        w->ActionMemo->setFocus();
        QTest::keyClick(w->ActionMemo, Qt::Key_Delete);
        QVERIFY(MessageBox::shownTexts().isEmpty());
        w->lstToDo->setFocus();
        MessageBox::setNextAnswer(MessageBox::Yes);
        QTest::keyClick(w->lstToDo, Qt::Key_Delete);
        QCOMPARE(MessageBox::shownTexts().size(), 1);
        QCOMPARE(w->model()->size(), 1);
    }

    void doubleClickEdits()
    {
        setRows({row("a", {})});
        bool opened = false;
        whenEditorOpens([&opened](TToDoDlgFrm& dlg) {
            opened = true;
            dlg.CancelButClick();
        });
        w->selectRows({0});
        Q_EMIT w->lstToDo->doubleClicked(w->model()->index(0, 0));
        QVERIFY(opened);
    }
};

QTEST_MAIN(ItemsTest)
#include "items_test.moc"
