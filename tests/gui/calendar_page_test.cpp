// The calendar page driven as the user drives it: the tab, clicks and double clicks on day cells, keys,
// the day's menu and the editor it opens.
#include "MainWindowFixture.h"

#include "app/TQuillmar.h"
#include "calendar/TRngSelCalendar.h"
#include "dialogs/ItemEditorDialog.h"

#include <QDateEdit>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

using namespace fixture;

namespace {
ToDoItem row(const char* action, const char* dateIn, const char* target, bool checked = false)
{
    ToDoItem it = ToDoItem::make(action, checked);
    it.setValue(ToDoItem::DateIn, dateIn);
    it.setValue(ToDoItem::Target, target);
    return it;
}

// The cell a day of the shown month sits in, as the user sees it.
QPoint dayPoint(const TBaseCalendar* cal, int day)
{
    const int n = day - cal->MonthOffset();
    return cal->cellRect(n % 7, n / 7 + 1).center();
}
} // namespace

class CalendarPageTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempData> data;
    std::unique_ptr<TQuillmar> w;

    ToDoListModel& rows() { return *w->document().model(); }
    TRngSelCalendar* cal() { return child<TRngSelCalendar>(w.get(), "RSCal"); }
    QStringList memoLines()
    {
        const QString text = child<QPlainTextEdit>(w.get(), "CalMemo")->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }
    QStringList indexLines()
    {
        QStringList out;
        const QStringList lines = memoLines();
        for (qsizetype i = 0; i < lines.size(); i += 3)
            out << lines[i];
        return out;
    }
    QString monthCaption() { return child<QLabel>(w.get(), "DatePanel")->text(); }
    void clickDay(int day, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(cal(), Qt::LeftButton, modifiers, dayPoint(cal(), day));
    }
    void doubleClickDay(int day) { QTest::mouseDClick(cal(), Qt::LeftButton, {}, dayPoint(cal(), day)); }
    void openCalendar()
    {
        QTabBar* tabs = child<QTabWidget>(w.get(), "Pages")->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
        QTRY_VERIFY(cal()->isVisible());
    }

private Q_SLOTS:
    void init()
    {
        setUpOnce(QDateTime(QDate(2026, 3, 14), QTime(9, 15, 0)));
        data = std::make_unique<TempData>();
        data->writeIni("[Background Color]\nColor=clBlue\n");
        w = std::make_unique<TQuillmar>();
        w->startUp();
        ToDoList list;
        list.items = {row("span", "03.03.2026", "10.03.2026"), row("done", "05.03.2026", "05.03.2026", true),
                      row("same day", "12.03.2026", "12.03.2026"), row("bad", "31.02.2026", "20.03.2026"),
                      row("other month", "12.03.2026", "02.04.2026")};
        rows().setList(std::move(list));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        openCalendar();
    }

    void cleanup()
    {
        w.reset();
        data.reset();
    }

    // A click on a day shows its lines (which entries a day has is calendar_month_test's); the settings'
    // background colour reaches the calendar.
    void aClickShowsTheDaysLines()
    {
        QCOMPARE(monthCaption(), QStringLiteral("03.2026"));
        QCOMPARE(cal()->Color(), QColor(200, 200, 255));
        clickDay(12);
        QCOMPARE(cal()->Day(), 12);
        QCOMPARE(indexLines(), (QStringList{QStringLiteral("<2>Target"), QStringLiteral("<2>Date In"),
                                            QStringLiteral("<4>Date In")}));
        clickDay(10);
        QCOMPARE(memoLines(), (QStringList{QStringLiteral("<0>Target"), QStringLiteral("<Alarm Time>"),
                                           QStringLiteral("span")}));
    }

    // One entry edits its item, several offer a menu of them, an empty day adds an item for that date.
    void doubleClickEditsOffersOrAdds()
    {
        QString opened;
        auto capture = [&opened](ItemEditorDialog& dlg) {
            opened = dlg.windowTitle() + QLatin1Char('|') +
                     child<QPlainTextEdit>(&dlg, "ActionEdit")->toPlainText() + QLatin1Char('|') +
                     child<QDateEdit>(&dlg, "PickDateIn")->date().toString(Qt::ISODate);
            child<QPushButton>(&dlg, "CancelBut")->click();
        };
        whenModal<ItemEditorDialog>(capture);
        doubleClickDay(3);
        QCOMPARE(opened, QStringLiteral("Quillmar: Edit ToDo item|span|2026-03-03"));

        whenModal<ItemEditorDialog>(capture);
        doubleClickDay(25);
        QCOMPARE(opened, QStringLiteral("Quillmar: Add new ToDo item||2026-03-25"));
        QCOMPARE(rows().size(), 5);

        doubleClickDay(12);
        auto* menu = child<QMenu>(w.get(), "CalPop");
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->actions().size(), 3); // the captions are calendar_month_test's
        whenModal<ItemEditorDialog>(capture);
        menu->actions().at(2)->trigger();
        QCOMPARE(opened, QStringLiteral("Quillmar: Edit ToDo item|other month|2026-03-12"));
    }

    // The cells follow the rows at once: after a row is removed a double click edits the item the day
    // shows, not the one that moved into its old row number.
    void cellsFollowTheRows()
    {
        rows().removeRows(QList<int>{0});
        QString opened;
        whenModal<ItemEditorDialog>([&opened](ItemEditorDialog& dlg) {
            opened = child<QPlainTextEdit>(&dlg, "ActionEdit")->toPlainText();
            child<QPushButton>(&dlg, "CancelBut")->click();
        });
        doubleClickDay(20);
        QCOMPARE(opened, QStringLiteral("bad"));
        clickDay(10);
        QCOMPARE(indexLines(), QStringList());

        // A menu of rows that changed while it was open is gone.
        doubleClickDay(12);
        auto* menu = child<QMenu>(w.get(), "CalPop");
        QTRY_VERIFY(menu->isVisible());
        rows().removeRows(QList<int>{0});
        QVERIFY(!menu->isVisible());
        QVERIFY(menu->actions().isEmpty());
    }

    // Keys go to the calendar once it has the focus (the steps themselves are the month's rules); the
    // buttons change the month and bring back today.
    void keysAndButtonsMoveDaysAndMonths()
    {
        clickDay(11);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(cal()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
        QCOMPARE(indexLines(), QStringList{QStringLiteral("<0>Target")});
        QTest::mouseClick(child<QToolButton>(w.get(), "PrevMonthButton"), Qt::LeftButton);
        QCOMPARE(monthCaption(), QStringLiteral("02.2026"));
        QTest::mouseClick(child<QToolButton>(w.get(), "TodayButton"), Qt::LeftButton);
        QCOMPARE(cal()->CalendarDate(), Clock::now());
        QTest::mouseClick(child<QToolButton>(w.get(), "NextMonthButton"), Qt::LeftButton);
        QCOMPARE(cal()->CalendarDate().date(), QDate(2026, 4, 14));
    }
};

QTEST_MAIN(CalendarPageTest)
#include "calendar_page_test.moc"
