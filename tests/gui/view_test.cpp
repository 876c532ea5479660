// The list view: the model, colours and styles by status, display settings, header sorting, the status
// bar counts, the check-box buttons and "Open Document".
#include "MainWindowFixture.h"

#include "app/GridDelegate.h"
#include "app/TQuillmar.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QLabel>
#include <QTest>
#include <QTextEdit>
#include <QTreeView>

using namespace fixture;

namespace
{
QByteArrayList column(const TQuillmar& w, int k)
{
    QByteArrayList out;
    for (const ToDoItem& it : w.model()->list().items)
        out << (k < 0 ? it.action() : it.value(k)).toByteArray();
    return out;
}
} // namespace

class ViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { setUpOnce(); }

    void modelPassesTheTester()
    {
        ToDoListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        ToDoList l = list({"a", "b", "c", "d"});
        model.setList(l);
        model.appendItem(item("e", true));
        model.appendItems({item("f"), item("g")});
        model.replaceItem(1, item("B", true));
        model.removeRows(QList<int>{0, 2, 3, 6});
        QCOMPARE(actions(model.list()), (QByteArrayList{"B", "e", "f"}));
        QCOMPARE(model.checkedCount(), 2);
        model.reorder({2, 0, 1});
        QCOMPARE(actions(model.list()), (QByteArrayList{"f", "B", "e"}));
        QVERIFY(model.setData(model.index(0, 0), Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(model.checkedCount(), 3);
        QCOMPARE(model.headerData(8, Qt::Horizontal).toString(), QStringLiteral("File Location"));
        model.clearItems();
        QCOMPARE(model.rowCount(), 0);
    }

    void coloursAndStylesByStatus()
    {
        TempData data;
        data.writeIni("[Completed Item Color]\nColor=clGreen\n[Today Item Color]\nColor=$00FF00FF\n");
        TQuillmar w;
        w.model()->appendItem(item("done today", true, "15.03.2024"));
        w.model()->appendItem(item("due today", false, "15.03.2024"));
        w.model()->appendItem(item("overdue", false, "14.03.2024"));
        w.model()->appendItem(item("open"));
        auto fg = [&w](int row) { return w.model()->index(row, 3).data(Qt::ForegroundRole).value<QColor>(); };
        auto font = [&w](int row) { return w.model()->index(row, 0).data(Qt::FontRole).value<QFont>(); };
        QCOMPARE(fg(0), QColor(0, 128, 0));
        QVERIFY(font(0).strikeOut() && !font(0).bold());
        QCOMPARE(fg(1), QColor(255, 0, 255));
        QVERIFY(font(1).bold() && !font(1).strikeOut());
        QCOMPARE(fg(2), QColor(255, 0, 0));
        QVERIFY(!font(2).bold() && !font(2).strikeOut());
        QCOMPARE(fg(3), QColor(128, 0, 128));
        QCOMPARE(font(3).pointSize(), 11);
    }

    void displaySettings()
    {
        TempData data;
        data.writeIni(
            "[Background Color]\nColor=clBlue\n[ToDo Grid]\nShowGrid=False\n[Font]\nSize=13\nName=Serif\n"
            "[Alarm]\nPreAlarm Time=5\n");
        TQuillmar w;
        QVERIFY(MessageBox::shownTexts().isEmpty());
        QCOMPARE(w.ListColor, 0xFFC8C8u); // red 200, green 200, blue 255
        QCOMPARE(w.lstToDo->palette().color(QPalette::Base), QColor(200, 200, 255));
        QVERIFY(!qobject_cast<GridDelegate*>(w.lstToDo->itemDelegate())->showGrid());
        QCOMPARE(w.ItemFontSize, 13);
        QCOMPARE(w.ItemFontName, QStringLiteral("Serif"));
        QCOMPARE(w.AlarmLeadTime, QStringLiteral("5"));
        // The caption label: "TitleBar Color" unlightened behind "TitleFont Color".
        QCOMPARE(w.ToolbarCaption->palette().color(QPalette::Window), QColor(0, 0, 128));
        QCOMPARE(w.ToolbarCaption->palette().color(QPalette::WindowText), QColor(255, 255, 255));
        QCOMPARE(w.ActionMemo->palette().color(QPalette::Base), QColor(200, 200, 202));
    }

    void badColourStopsTheSettings()
    {
        TempData data;
        data.writeIni("[Open Item Color]\nColor=clRED\n[Overdue Item Color]\nColor=FF0000\n[Font]\nSize=20\n");
        TQuillmar w;
        QCOMPARE(MessageBox::shownTexts(), QStringList{QStringLiteral("couldnt load colors")});
        QCOMPARE(w.OpenColor, 0x0000FFu); // read before the bad one
        QCOMPARE(w.ItemFontSize, 11);     // never reached
    }

    void statusBarCounts()
    {
        TempData data;
        TQuillmar w;
        const QString before = w.StatusPanels[1]->text();
        QVERIFY(!before.contains(QLatin1String("Items")));
        w.model()->appendItems({item("a"), item("b", true), item("c")});
        QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Items pending: 2, completed : 1"));
        w.model()->setData(w.model()->index(0, 0), Qt::Checked, Qt::CheckStateRole);
        QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Items pending: 1, completed : 2"));
        QVERIFY(!w.ListSaved);
        // An emptied list keeps the last counts.
        w.model()->removeRows(QList<int>{0, 1, 2});
        QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Items pending: 1, completed : 2"));
    }

    void checkAndUncheckButtons()
    {
        TempData data;
        TQuillmar w;
        w.model()->appendItems({item("a", true), item("b"), item("c", true), item("d")});
        w.selectRows({1, 3});
        w.BtnCheckSelectedClick();
        QCOMPARE(w.selectedRows(), (QList<int>{0, 2}));

        w.selectRows({0, 2, 3});
        w.ListSaved = true;
        w.BtnUncheckSelectedClick();
        QCOMPARE(w.model()->checkedCount(), 1);
        QVERIFY(w.model()->item(3).checked());
        QVERIFY(!w.ListSaved);
    }

    void clickShowsTheMemos()
    {
        TempData data;
        TQuillmar w;
        ToDoItem it = item("line one\r\nline two");
        it.setValue(ToDoItem::Remarks, "remark");
        w.model()->appendItem(it);
        w.ListSaved = true;
        w.lstToDoClick(); // nothing selected: nothing happens
        QVERIFY(w.ListSaved);
        w.selectRows({0});
        w.lstToDoClick();
        QCOMPARE(w.ActionMemo->toPlainText(), QStringLiteral("line one\nline two"));
        QCOMPARE(w.RemarksMemo->toPlainText(), QStringLiteral("remark"));
        QVERIFY(!w.ListSaved);
        QCOMPARE(w.model()->index(0, 0).data().toString(), QStringLiteral("line one  line two"));
    }

    void headerSortRules()
    {
        TempData data;
        TQuillmar w;
        ToDoItem a = item("b", false, "01.05.2024", "1");
        ToDoItem b = item("a", false, "", "9");
        ToDoItem c = item("c", false, "01.01.2024", "x");
        for (ToDoItem* it : {&a, &b, &c})
            it->setValue(ToDoItem::FileLocation, "/tmp/" + it->action().toByteArray());
        w.model()->appendItems({a, b, c});

        w.lstToDoColumnClick(1); // Priority: the largest first, "x" counts as 0
        QCOMPARE(column(w, -1), (QByteArrayList{"a", "b", "c"}));
        QCOMPARE(w.sortKind(), SortKind::Number);
        w.lstToDoColumnClick(1); // the same column again: reversed
        QCOMPARE(column(w, -1), (QByteArrayList{"c", "b", "a"}));

        w.lstToDoColumnClick(3); // Target: the earliest first, no Target before every date
        QCOMPARE(column(w, ToDoItem::Target), (QByteArrayList{"", "01.01.2024", "01.05.2024"}));
        // File Location after Target: compared as dates, none parses, nothing moves.
        w.lstToDoColumnClick(8);
        QCOMPARE(w.sortKind(), SortKind::Date);
        QCOMPARE(column(w, ToDoItem::Target), (QByteArrayList{"", "01.01.2024", "01.05.2024"}));

        w.lstToDoColumnClick(0); // Actions: A to Z
        QCOMPARE(column(w, -1), (QByteArrayList{"a", "b", "c"}));
        w.lstToDoColumnClick(8); // now as text, and this column's second click: Z to A
        QCOMPARE(w.sortKind(), SortKind::Text);
        QCOMPARE(column(w, -1), (QByteArrayList{"c", "b", "a"}));
    }

    void sortCheckedKeepsCompletedBelow()
    {
        TempData data;
        TQuillmar w;
        w.model()->appendItems({item("a", true), item("c"), item("b"), item("d", true)});
        QVERIFY(!w.SortChecked);
        w.actSortChecked->trigger();
        QVERIFY(w.SortChecked && w.actSortChecked->isChecked());
        w.lstToDoColumnClick(0);
        QCOMPARE(column(w, -1), (QByteArrayList{"b", "c", "a", "d"}));
        w.actSortChecked->trigger();
        w.lstToDoColumnClick(0); // this column's second click: Z to A, completed rows mixed in again
        QCOMPARE(column(w, -1), (QByteArrayList{"d", "c", "b", "a"}));

        // The selection follows its rows.
        w.selectRows({3});
        w.lstToDoColumnClick(0);
        QCOMPARE(w.selectedRows(), QList<int>{0});
    }

    void openDocumentNeedsAnExistingFile()
    {
        TempData data;
        TQuillmar w;
        const QString existing = data.dir.path() + QStringLiteral("/doc.txt");
        QVERIFY(writeFile(existing, {}));
        ToDoItem withFile = item("with file");
        withFile.setValue(ToDoItem::FileLocation, existing.toUtf8());
        ToDoItem missing = item("missing");
        missing.setValue(ToDoItem::FileLocation, "/no/such/file.txt");
        w.model()->appendItems({withFile, missing});
        w.selectRows({0});
        QVERIFY(w.actOpen->isEnabled());
        w.selectRows({1});
        QVERIFY(!w.actOpen->isEnabled());
        w.selectRows({0, 1});
        QVERIFY(!w.actOpen->isEnabled());
    }
};

QTEST_MAIN(ViewTest)
#include "view_test.moc"
