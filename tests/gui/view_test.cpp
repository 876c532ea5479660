// The list view: the model, colours and styles by status, display settings, header sorting, the status
// bar counts, the check-box buttons and "Open Document".
#include "MainWindowFixture.h"

#include "app/GridDelegate.h"
#include "app/ItemStyleModel.h"
#include "app/ReportView.h"
#include "app/TQuillmar.h"
#include "config/LanguageTexts.h"
#include "platform/Clock.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QScopeGuard>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTest>
#include <QTextEdit>

#include <numeric>

using namespace fixture;

namespace {
QByteArrayList column(const TQuillmar& w, int k)
{
    QByteArrayList out;
    for (const ToDoItem& it : w.document().list().items)
        out << (k < 0 ? it.action() : it.value(k)).toByteArray();
    return out;
}

ReportView* view(const TQuillmar& w)
{
    return child<ReportView>(&w, "lstToDo");
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

// The style's own drawing of a cell, with a selected row's text as readable as the list makes it.
class ReadableStyledDelegate : public QStyledItemDelegate
{
protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & QStyle::State_Selected)
            GridDelegate::makeSelectionReadable(option->palette);
    }
};
} // namespace

class ViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { setUpOnce(); }

    // The settings' colours and font reach the rows, and a status its style (which status a row has, and
    // its colour, are model_test's and settings_test's).
    void displaySettingsReachTheRows()
    {
        TempData data;
        data.writeIni("[Completed Item Color]\nColor=clGreen\n[Background Color]\nColor=clBlue\n"
                      "[ToDo Grid]\nShowGrid=False\n[Font]\nSize=13\n");
        TQuillmar w;
        w.startUp();
        QVERIFY(messages().shownTexts().isEmpty());
        w.document().model()->appendItem(item("done today", true, "15.03.2024"));
        const QModelIndex row = view(w)->model()->index(0, 0);
        QCOMPARE(view(w)->model()->index(0, 3).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));
        QVERIFY(row.data(Qt::FontRole).value<QFont>().strikeOut());
        QCOMPARE(row.data(Qt::FontRole).value<QFont>().pointSize(), 13);
        // Rows are as high as their font, which is the settings' and not the view's.
        QVERIFY(view(w)->rowHeight(0) >= QFontMetrics(row.data(Qt::FontRole).value<QFont>()).height());
        QCOMPARE(view(w)->palette().color(QPalette::Base), QColor(200, 200, 255));
        QVERIFY(!qobject_cast<GridDelegate*>(view(w)->itemDelegate())->showGrid());
    }

    // A caption as long as German makes it ("Zuständig", "Zugehöriges Dokument") widens its column; a column
    // the user has sized keeps that size.
    void columnsFitTheCaptionsOfTheLanguage()
    {
        TempData data;
        QDir().mkpath(data.folder);
        QVERIFY(QFile::copy(QStringLiteral(QUILLMAR_LANGUAGE_DIR "German.lng"), data.path("German.lng")));
        data.writeIni("[Language File]\nSelected=German.lng\n[Columnwidth]\nColumn5=50\n");
        // A replaced text stays for the run: the tests after this one read English again.
        const auto english = qScopeGuard([] { LanguageTexts::shared().reset(); });
        TQuillmar w;
        w.startUp();
        QHeaderView* header = view(w)->header();
        for (int i = 1; i < header->count(); ++i) {
            if (i == 5)
                continue;
            const QString caption = header->model()->headerData(i, Qt::Horizontal).toString();
            QVERIFY2(header->sectionSize(i) > header->fontMetrics().horizontalAdvance(caption),
                     qPrintable(caption));
        }
        QCOMPARE(header->sectionSize(5), 50);
    }

    void statusBarCounts()
    {
        TempData data;
        TQuillmar w;
        w.startUp();
        w.document().model()->appendItems({item("a"), item("b", true), item("c")});
        QCOMPARE(panel(w, "StatusPanel1"), QStringLiteral("Items pending: 2, completed: 1"));
        w.document().model()->setData(view(w)->model()->index(0, 0), Qt::Checked, Qt::CheckStateRole);
        QCOMPARE(panel(w, "StatusPanel1"), QStringLiteral("Items pending: 1, completed: 2"));
        // An emptied list keeps the last counts.
        w.document().model()->removeRows(QList<int>{0, 1, 2});
        QCOMPARE(panel(w, "StatusPanel1"), QStringLiteral("Items pending: 1, completed: 2"));

        // A long hint on a narrow window gives way; the date and the counts stay whole.
        w.show();
        w.resize(420, 300);
        QLabel* hint = child<QLabel>(&w, "StatusPanel2");
        hint->setText(QString(200, QLatin1Char('x')));
        QCoreApplication::sendPostedEvents();
        w.statusBar()->layout()->activate();
        for (const char* name : {"StatusPanel0", "StatusPanel1"}) {
            QLabel* label = child<QLabel>(&w, name);
            QVERIFY2(label->contentsRect().width() >= label->fontMetrics().horizontalAdvance(label->text()),
                     name);
        }
        QVERIFY(hint->geometry().right() <= w.statusBar()->width());
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
        w.document().finishSaving();
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

    // The keys move as in a list: End and Home to the last and first row, Left and Right scroll only.
    void keysMoveThroughRows()
    {
        TempData data;
        TQuillmar w;
        w.startUp();
        w.document().model()->appendItems({item("a"), item("b"), item("c")});
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        view(w)->setFocus();
        QTest::mouseClick(view(w)->viewport(), Qt::LeftButton, {},
                          view(w)->visualRect(view(w)->model()->index(1, 1)).center());
        const QList<std::pair<Qt::Key, QList<int>>> steps = {{Qt::Key_End, {2}},
                                                             {Qt::Key_Left, {2}},
                                                             {Qt::Key_Home, {0}},
                                                             {Qt::Key_Right, {0}},
                                                             {Qt::Key_Down, {1}}};
        for (const auto& [key, rows] : steps) {
            QTest::keyClick(view(w), key);
            QCOMPARE(selected(w), rows);
        }
    }

    // Rows that come and go anywhere in a long list (one deleted from the middle and put back, all of them
    // deleted and put back) leave the view as many rows as the list: End reaches the last row and shows it.
    void rowsThatComeAndGoLeaveTheLastRowReachable()
    {
        TempData data;
        TQuillmar w;
        w.startUp();
        std::vector<ToDoItem> items;
        for (int i = 0; i < 300; ++i)
            items.push_back(item("row " + QByteArray::number(i)));
        w.document().model()->appendItems(std::move(items));
        w.resize(800, 400);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        ReportView* v = view(w);
        QAction* undo = child<QAction>(&w, "actUndo");
        auto endShowsLastRow = [&](int rows) {
            // What the command selects is selected first.
            QCoreApplication::processEvents();
            v->setFocus();
            QTest::keyClick(v, Qt::Key_End);
            if (selected(w) != QList<int>{rows - 1})
                return false;
            const QRect last = v->visualRect(v->model()->index(rows - 1, 0));
            return last.isValid() && v->viewport()->rect().contains(last.center()) &&
                   v->rowAt(v->viewport()->height() - 1) < rows;
        };
        UnattendedPrompter nobody;
        QVERIFY(w.document().DeleteSelectedItems({150}, false, nobody));
        QVERIFY(endShowsLastRow(299));
        undo->trigger();
        QVERIFY(endShowsLastRow(300));
        QList<int> all(300);
        std::iota(all.begin(), all.end(), 0);
        QVERIFY(w.document().DeleteSelectedItems(all, false, nobody));
        QCOMPARE(v->model()->rowCount(), 0);
        undo->trigger();
        QVERIFY(endShowsLastRow(300));
    }

    // The rows' text looks as the style draws it (cut short where it does not fit, in each status's colour
    // and font, on the selection), though it is laid out once and kept: also after a row, the font or a
    // column's width changed.
    void rowsAreDrawnAsTheStyleDrawsThem()
    {
        TempData data;
        data.writeIni("[ToDo Grid]\nShowGrid=False\n");
        Clock::setNow(QDateTime(QDate(2024, 3, 15), QTime(12, 0)));
        const auto realTime = qScopeGuard([] { Clock::reset(); });
        TQuillmar w;
        w.startUp();
        ToDoItem remarked = item("remarked");
        remarked.setValue(ToDoItem::Remarks,
                          "a remark that is much too long for its column, so it ends in dots");
        w.document().model()->appendItems({item("plain"), remarked, item("done", true, "14.03.2024"),
                                           item("due today", false, "15.03.2024"),
                                           item("overdue", false, "14.03.2024")});
        w.resize(900, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        ReportView* v = view(w);
        selectRows(v, {1});
        QAbstractItemDelegate* own = v->itemDelegate();
        ReadableStyledDelegate styled;
        const auto drawnAsStyled = [&] {
            QCoreApplication::processEvents();
            const QImage drawn = v->viewport()->grab().toImage();
            v->setItemDelegate(&styled);
            const QImage styledImage = v->viewport()->grab().toImage();
            v->setItemDelegate(own);
            drawn.save("/tmp/cmp/a.png");
            styledImage.save("/tmp/cmp/b.png");
            return drawn == styledImage;
        };
        QVERIFY(drawnAsStyled());

        ToDoItem edited = w.document().list().items[0];
        edited.setAction("plain, and now edited");
        w.document().editItem(0, w.document().list().items[0], edited, {}, {});
        QVERIFY(drawnAsStyled());
        QFont larger = v->model()->index(0, 0).data(Qt::FontRole).value<QFont>();
        larger.setPointSize(larger.pointSize() + 3);
        w.findChild<ItemStyleModel*>()->setItemFont(larger);
        QVERIFY(drawnAsStyled());
        v->horizontalHeader()->resizeSection(3, 60);
        QVERIFY(drawnAsStyled());
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

        // The second click sorts Z to A (completed still below, the order is sort_test's); the selection
        // follows its row.
        selectRows(view(w), {3});
        clickHeader(w, 0);
        QCOMPARE(column(w, -1), (QByteArrayList{"c", "b", "d", "a"}));
        QCOMPARE(selected(w), QList<int>{2});
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
