// The flat menu painter: items measured and drawn with the icon strip and the selection colours, "Tag"
// 999 items and widgets left to the platform, Active off giving everything back, and the main window
// drawn flat with the settings' icon strip colour.
#include "MainWindowFixture.h"

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
#include <QToolButton>
#include <QTreeView>

using namespace fixture;

namespace {
const QColor kStrip(0, 200, 0);
const QColor kBackground(250, 250, 250);
const QColor kSelect(10, 36, 106);
const QColor kBorder(200, 0, 0);
const QColor kSeparator(0, 0, 220);
const QColor kCheckFrame(120, 0, 120);

void paint(TFlatMenuPainter& painter)
{
    painter.setUseSystemColors(false);
    painter.setUseDimColor(true);
    painter.setIconBackColor(kStrip);
    painter.setColor(kBackground);
    painter.setSelectColor(kSelect);
    painter.setSelectBorderColor(kBorder);
    painter.setSeparatorColor(kSeparator);
    painter.setCheckedColor(kCheckFrame);
}

// The menu as it shows with the given item selected.
QImage render(QMenu* menu, QAction* selected = nullptr)
{
    menu->adjustSize();
    menu->setActiveAction(selected);
    return menu->grab().toImage();
}

QColor at(const QImage& image, QPoint p)
{
    const qreal dpr = image.devicePixelRatio();
    return image.pixelColor(int(p.x() * dpr), int(p.y() * dpr));
}
} // namespace

class FlatMenuTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { setUpOnce(); }

    void tag999ItemsAndWidgetsKeepThePlatformLook()
    {
        QWidget window;
        auto* menu = new QMenu(&window);
        menu->addAction(QStringLiteral("Flat"));
        QAction* platformItem = menu->addAction(QStringLiteral("Platform"));
        platformItem->setProperty("Tag", 999);
        auto* keptMenu = new QMenu(&window);
        keptMenu->setProperty("Tag", QStringLiteral("999"));
        auto* notATag = new QMenu(&window);
        notATag->setProperty("Tag", QStringLiteral("999x"));
        auto* holder = new QWidget(&window);
        holder->setProperty("Tag", 999);
        auto* keptEdit = new QLineEdit(holder);
        auto* edit = new QLineEdit(&window);

        // The platform's drawing of the same item, for comparison.
        QWidget plainWindow;
        auto* reference = new QMenu(&plainWindow);
        QAction* referenceItem = reference->addAction(QStringLiteral("Platform"));
        const QRect referenceRow = reference->actionGeometry(referenceItem);

        TFlatMenuPainter painter(&window);
        paint(painter);
        painter.setActive(true);
        QVERIFY(painter.isTakenOver(menu));
        QVERIFY(!painter.isTakenOver(keptMenu));
        QVERIFY(painter.isTakenOver(notATag));
        QVERIFY(!painter.isTakenOver(keptEdit));
        QVERIFY(painter.isTakenOver(edit));
        QCOMPARE(keptEdit->style(), QApplication::style());

        // A "Tag" 999 item keeps the platform's height and no icon strip.
        const QImage image = render(menu);
        const QRect row = menu->actionGeometry(platformItem);
        QCOMPARE(row.height(), referenceRow.height());
        QVERIFY(at(image, {row.left() + 2, row.center().y()}) != kStrip);

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
                 w.menuBar(), child<QToolBar>(&w, "ToolBar"), child<QTreeView>(&w, "lstToDo"),
                 child<QTextEdit>(&w, "ActionMemo"), child<QMenu>(&w, "ListPopup")})
            QVERIFY2(flat->style() == painter->style(), qPrintable(flat->objectName()));
        for (QToolButton* button : child<QToolBar>(&w, "ToolBar")->findChildren<QToolButton*>())
            QCOMPARE(button->style(), painter->style());
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
        painter.setDisableSubclassing(true);
        QCOMPARE(edit->style(), QApplication::style());
        // Its own window stays flat.
        QDialog kept;
        kept.setProperty("Tag", 999);
        auto* keptEdit = new QLineEdit(&kept);
        painter.setDisableSubclassing(false);
        kept.show();
        QVERIFY(QTest::qWaitForWindowExposed(&kept));
        QTRY_COMPARE(edit->style(), painter.style());
        QCOMPARE(keptEdit->style(), QApplication::style());
    }
};

QTEST_MAIN(FlatMenuTest)
#include "flatmenu_test.moc"
