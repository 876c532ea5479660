// The list view: the model, colours and styles by status, display settings, header sorting, the status
// bar counts, the check-box buttons and "Open Document".
#include "MainWindowFixture.h"

#include "app/GridDelegate.h"
#include "app/TQuillmar.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QTest>
#include <QTextEdit>
#include <QTreeView>

using namespace fixture;

namespace {
QByteArrayList column(const TQuillmar& w, int k)
{
    QByteArrayList out;
    for (const ToDoItem& it : w.document().list().items)
        out << (k < 0 ? it.action() : it.value(k)).toByteArray();
    return out;
}

QTreeView* view(const TQuillmar& w)
{
    return child<QTreeView>(&w, "lstToDo");
}

QString panel(const TQuillmar& w, const char* name)
{
    return child<QLabel>(&w, name)->text();
}

QList<int> selected(const TQuillmar& w)
{
    QList<int> rows;
    for (const QModelIndex& index : view(w)->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

// A click on a column's header, where the user clicks.
void clickHeader(TQuillmar& w, int column)
{
    QHeaderView* header = view(w)->header();
    if (!w.isVisible()) {
        w.resize(1600, 600);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}
} // namespace

class ViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { setUpOnce(); }

    void coloursAndStylesByStatus()
    {
        TempData data;
        data.writeIni("[Completed Item Color]\nColor=clGreen\n[Today Item Color]\nColor=$00FF00FF\n");
        TQuillmar w;
        w.startUp();
        w.document().model()->appendItem(item("done today", true, "15.03.2024"));
        w.document().model()->appendItem(item("due today", false, "15.03.2024"));
        w.document().model()->appendItem(item("overdue", false, "14.03.2024"));
        w.document().model()->appendItem(item("open"));
        auto fg = [&w](int row) {
            return view(w)->model()->index(row, 3).data(Qt::ForegroundRole).value<QColor>();
        };
        auto font = [&w](int row) {
            return view(w)->model()->index(row, 0).data(Qt::FontRole).value<QFont>();
        };
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
        w.startUp();
        QVERIFY(messages().shownTexts().isEmpty());
        // The list colour is lightened: red 200, green 200, blue 255.
        QCOMPARE(view(w)->palette().color(QPalette::Base), QColor(200, 200, 255));
        QVERIFY(!qobject_cast<GridDelegate*>(view(w)->itemDelegate())->showGrid());
        w.document().model()->appendItem(item("a"));
        const QFont font = view(w)->model()->index(0, 0).data(Qt::FontRole).value<QFont>();
        QCOMPARE(font.pointSize(), 13);
        QCOMPARE(font.family(), QStringLiteral("Serif"));
        // The caption label: "TitleBar Color" unlightened behind "TitleFont Color".
        auto* caption = child<QLabel>(&w, "ToolbarCaption");
        QCOMPARE(caption->palette().color(QPalette::Window), QColor(0, 0, 128));
        QCOMPARE(caption->palette().color(QPalette::WindowText), QColor(255, 255, 255));
        QCOMPARE(child<QTextEdit>(&w, "ActionMemo")->palette().color(QPalette::Base), QColor(200, 200, 202));
    }

    void statusBarCounts()
    {
        TempData data;
        TQuillmar w;
        w.startUp();
        const QString before = panel(w, "StatusPanel1");
        QVERIFY(!before.contains(QLatin1String("Items")));
        w.document().model()->appendItems({item("a"), item("b", true), item("c")});
        QCOMPARE(panel(w, "StatusPanel1"), QStringLiteral("Items pending: 2, completed : 1"));
        w.document().model()->setData(view(w)->model()->index(0, 0), Qt::Checked, Qt::CheckStateRole);
        QCOMPARE(panel(w, "StatusPanel1"), QStringLiteral("Items pending: 1, completed : 2"));
        QVERIFY(w.document().isModified());
        // An emptied list keeps the last counts.
        w.document().model()->removeRows(QList<int>{0, 1, 2});
        QCOMPARE(panel(w, "StatusPanel1"), QStringLiteral("Items pending: 1, completed : 2"));
    }

    void clickShowsTheMemos()
    {
        TempData data;
        TQuillmar w;
        w.startUp();
        ToDoItem it = item("line one\r\nline two");
        it.setValue(ToDoItem::Remarks, "remark");
        w.document().model()->appendItem(it);
        w.document().autosave();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mouseClick(view(w)->viewport(), Qt::LeftButton, {},
                          view(w)->visualRect(view(w)->model()->index(0, 1)).center());
        QCOMPARE(child<QTextEdit>(&w, "ActionMemo")->toPlainText(), QStringLiteral("line one\nline two"));
        QCOMPARE(child<QTextEdit>(&w, "RemarksMemo")->toPlainText(), QStringLiteral("remark"));
        // Looking at a row changes nothing.
        QVERIFY(!w.document().isModified());
        QCOMPARE(view(w)->model()->index(0, 0).data().toString(), QStringLiteral("line one  line two"));
    }

    void sortCheckedKeepsCompletedBelow()
    {
        TempData data;
        TQuillmar w;
        w.startUp();
        w.document().model()->appendItems({item("a", true), item("c"), item("b"), item("d", true)});
        QVERIFY(!action(&w, "actSortChecked")->isChecked());
        action(&w, "actSortChecked")->trigger();
        QVERIFY(action(&w, "actSortChecked")->isChecked());
        clickHeader(w, 0);
        QCOMPARE(column(w, -1), (QByteArrayList{"b", "c", "a", "d"}));
        action(&w, "actSortChecked")->trigger();
        clickHeader(w, 0); // this column's second click: Z to A, completed rows mixed in again
        QCOMPARE(column(w, -1), (QByteArrayList{"d", "c", "b", "a"}));

        // The selection follows its rows.
        selectRows(view(w), {3});
        clickHeader(w, 0);
        QCOMPARE(selected(w), QList<int>{0});
    }

    void openDocumentNeedsAnExistingFile()
    {
        TempData data;
        TQuillmar w;
        w.startUp();
        const QString existing = data.dir.path() + QStringLiteral("/doc.txt");
        QVERIFY(writeFile(existing, {}));
        ToDoItem withFile = item("with file");
        withFile.setValue(ToDoItem::FileLocation, existing.toUtf8());
        ToDoItem missing = item("missing");
        missing.setValue(ToDoItem::FileLocation, "/no/such/file.txt");
        w.document().model()->appendItems({withFile, missing});
        selectRows(view(w), {0});
        QVERIFY(action(&w, "actOpen")->isEnabled());
        selectRows(view(w), {1});
        QVERIFY(!action(&w, "actOpen")->isEnabled());
        selectRows(view(w), {0, 1});
        QVERIFY(!action(&w, "actOpen")->isEnabled());
    }
};

QTEST_MAIN(ViewTest)
#include "view_test.moc"
