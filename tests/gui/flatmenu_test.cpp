// The flat menu painter: "Tag" 999 menus and widgets left to the platform, Active off giving everything
// back, and the main window drawn flat with the settings' icon strip colour (the colours' arithmetic is
// flatmenu_core_test's).
#include "MainWindowFixture.h"

#include "app/ReportView.h"
#include "app/TQuillmar.h"
#include "menus/FlatMenuStyle.h"
#include "menus/TFlatMenuPainter.h"

#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>

using namespace fixture;

class FlatMenuTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { setUpOnce(); }

    void tag999MenusAndWidgetsKeepThePlatformLook()
    {
        QWidget window;
        auto* menu = new QMenu(&window);
        menu->addAction(QStringLiteral("Flat"));
        auto* keptMenu = new QMenu(&window);
        keptMenu->setProperty("Tag", QStringLiteral("999"));
        auto* notATag = new QMenu(&window);
        notATag->setProperty("Tag", QStringLiteral("999x"));
        auto* holder = new QWidget(&window);
        holder->setProperty("Tag", 999);
        auto* keptEdit = new QLineEdit(holder);
        auto* edit = new QLineEdit(&window);

        TFlatMenuPainter painter(&window);
        painter.setActive(true);
        QVERIFY(painter.isTakenOver(menu));
        QVERIFY(!painter.isTakenOver(keptMenu));
        QVERIFY(painter.isTakenOver(notATag));
        QVERIFY(!painter.isTakenOver(keptEdit));
        QVERIFY(painter.isTakenOver(edit));
        QCOMPARE(keptEdit->style(), QApplication::style());

        // Active off: every widget has its own look back.
        painter.setActive(false);
        QCOMPARE(menu->style(), QApplication::style());
        QCOMPARE(edit->style(), QApplication::style());
        QVERIFY(!painter.isTakenOver(menu));
    }

    void mainWindowIsDrawnFlat()
    {
        TempData data;
        data.writeIni("[TitleBar Color]\nColor=clMaroon\n");
        TQuillmar w;
        auto* painter = w.findChild<TFlatMenuPainter*>(QStringLiteral("MenuPainter1"));
        QVERIFY(painter);
        QVERIFY(painter->active());
        // The title-bar colour lightened, as the memos show it.
        const QColor memo = child<QTextEdit>(&w, "ActionMemo")->palette().color(QPalette::Base);
        QCOMPARE(painter->iconBackColor(), memo);
        QVERIFY(memo != QColor(128, 0, 0));
        for (QWidget* flat : std::initializer_list<QWidget*>{
                 w.menuBar(), child<QToolBar>(&w, "ToolBar"), child<ReportView>(&w, "lstToDo"),
                 child<QTextEdit>(&w, "ActionMemo"), child<QMenu>(&w, "ListPopup")})
            QVERIFY2(flat->style() == painter->style(), qPrintable(flat->objectName()));
        QVERIFY(action(&w, "actAbout")->isVisible());

        painter->setActive(false);
        QCOMPARE(w.menuBar()->style(), QApplication::style());
    }

    void otherWindowsFollowTheActivePainter()
    {
        QWidget owner;
        TFlatMenuPainter painter(&owner);
        painter.setActive(true);
        QDialog dialog;
        auto* edit = new QLineEdit(&dialog);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(edit->style(), painter.style());
    }
};

QTEST_MAIN(FlatMenuTest)
#include "flatmenu_test.moc"
