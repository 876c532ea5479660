// The item editor: what goes in comes back unless the user changed it; keys reach the widget that has
// the focus, as they do for a user.
#include "MainWindowFixture.h"

#include "dialogs/ItemEditorDialog.h"
#include "dialogs/NameComboBox.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace fixture;

namespace {
using Values = std::initializer_list<std::pair<int, const char*>>;

ToDoItem itemWith(const char* action, Values values = {}, bool checked = false)
{
    ToDoItem it = ToDoItem::make(action, checked);
    for (const auto& [k, v] : values)
        it.setValue(k, v);
    return it;
}

// One open editor, its controls found by name as the user sees them.
struct Editor
{
    std::unique_ptr<ItemEditorDialog> dlg = std::make_unique<ItemEditorDialog>();

    template <typename T> T* c(const char* name) const { return child<T>(dlg.get(), name); }
    QString value(int k) const { return dlg->item().valueText(k); }
    void ok() const { c<QPushButton>("OKButt")->click(); }
    // Gives the window the focus and puts it on the named control; keys then go where the focus is.
    void focus(const char* name) const
    {
        QApplication::setActiveWindow(dlg.get());
        QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
        c<QWidget>(name)->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), c<QWidget>(name));
    }
};
} // namespace

class EditorTest : public QObject
{
    Q_OBJECT

private:
    Editor open(const ToDoItem& item = ToDoItem::make({}))
    {
        Editor e;
        e.dlg->setItem(item);
        e.dlg->setNames({"Anna", "Bob"}, {"House"});
        e.dlg->show();
        return e;
    }

private Q_SLOTS:
    void init()
    {
        setUpOnce(QDateTime(QDate(2026, 3, 14), QTime(9, 15, 0)));
        quietDialogs(true);
    }

    // Dates given to a new item check their boxes; without them the target picker offers tomorrow. An
    // empty Action cancels.
    void newItemDates()
    {
        Editor e = open(itemWith("", {{ToDoItem::DateIn, "14.03.2026"}, {ToDoItem::Target, "15.03.2026"}}));
        QVERIFY(e.c<QCheckBox>("CbxUseDate")->isChecked() && e.c<QDateEdit>("PickDateIn")->isEnabled());
        QVERIFY(e.c<QCheckBox>("CbxEndDate")->isChecked());
        QVERIFY(!e.c<QCheckBox>("CbxAlarm")->isChecked() && !e.c<QTimeEdit>("TimePick")->isEnabled());
        e.c<QPlainTextEdit>("ActionEdit")->setPlainText(QStringLiteral("Buy milk"));
        e.ok();
        QCOMPARE(e.dlg->result(), int(QDialog::Accepted));
        QCOMPARE(e.dlg->item().actionText(), QStringLiteral("Buy milk"));
        QCOMPARE(e.value(ToDoItem::DateIn), QStringLiteral("14.03.2026"));
        QCOMPARE(e.value(ToDoItem::Target), QStringLiteral("15.03.2026"));
        QVERIFY(e.value(ToDoItem::AlarmTime).isEmpty());

        // Go without an action says what is missing and keeps what was typed.
        e = open();
        QVERIFY(!e.c<QCheckBox>("CbxUseDate")->isChecked() && !e.c<QDateEdit>("PickDateIn")->isEnabled());
        QCOMPARE(e.c<QDateEdit>("DatePick")->date(), QDate(2026, 3, 15));
        e.c<QPlainTextEdit>("RemarksEdit")->setPlainText(QStringLiteral("typed first"));
        e.ok();
        QVERIFY(e.dlg->isVisible());
        QVERIFY(messages().lastText().contains(QLatin1String("action")));
        QCOMPARE(e.c<QPlainTextEdit>("RemarksEdit")->toPlainText(), QStringLiteral("typed first"));
    }

    // What comes back after OK, for what the user did: each value's write-back rule, one row each.
    void okGivesBackTheEditedItem_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<std::function<void(const Editor&)>>("edit");
        const auto nothing = [](const Editor&) {};
        QTest::newRow("alarm kept") << int(ToDoItem::AlarmTime) << "14:30:00" << std::function(nothing);
        QTest::newRow("alarm changed")
            << int(ToDoItem::AlarmTime) << "16:00:00"
            << std::function([](const Editor& e) { e.c<QTimeEdit>("TimePick")->setTime(QTime(16, 0)); });
        QTest::newRow("no target, no alarm")
            << int(ToDoItem::AlarmTime) << ""
            << std::function([](const Editor& e) { e.c<QCheckBox>("CbxEndDate")->click(); });
        QTest::newRow("no target") << int(ToDoItem::Target) << "" << std::function([](const Editor& e) {
            e.c<QCheckBox>("CbxEndDate")->click();
        });
        QTest::newRow("unreadable date kept")
            << int(ToDoItem::DateIn) << "sometime" << std::function(nothing);
        QTest::newRow("target picked")
            << int(ToDoItem::Target) << "01.04.2026"
            << std::function([](const Editor& e) { e.c<QDateEdit>("DatePick")->setDate(QDate(2026, 4, 1)); });
        QTest::newRow("missing document kept")
            << int(ToDoItem::FileLocation) << "/media/unplugged/plan.odt" << std::function(nothing);
        QTest::newRow("typed path to nothing") << int(ToDoItem::FileLocation) << "/media/unplugged/plan.odt"
                                               << std::function([](const Editor& e) {
                                                      e.c<QLineEdit>("EdtLocation")->setText("/no/such/file");
                                                  });
        QTest::newRow("location emptied")
            << int(ToDoItem::FileLocation) << ""
            << std::function([](const Editor& e) { e.c<QLineEdit>("EdtLocation")->clear(); });
        QTest::newRow("owner found ignoring case")
            << int(ToDoItem::Owner) << "Anna" << std::function(nothing);
        QTest::newRow("project not in the list")
            << int(ToDoItem::ProjectName) << "Garden" << std::function(nothing);
        QTest::newRow("line breaks of unchanged text")
            << int(ToDoItem::Remarks) << "x\r\ny" << std::function(nothing);
        QTest::newRow("edited text takes CR LF")
            << int(ToDoItem::Remarks) << "x\r\ny\r\nz" << std::function([](const Editor& e) {
                   e.c<QPlainTextEdit>("RemarksEdit")->setPlainText("x\ny\nz");
               });
    }
    void okGivesBackTheEditedItem()
    {
        QFETCH(int, column);
        QFETCH(QString, expected);
        QFETCH(std::function<void(const Editor&)>, edit);
        const ToDoItem before = itemWith("call",
                                         {{ToDoItem::DateIn, "sometime"},
                                          {ToDoItem::Target, "20.03.2026"},
                                          {ToDoItem::Remarks, "x\r\ny"},
                                          {ToDoItem::Owner, "anna"},
                                          {ToDoItem::ProjectName, "Garden"},
                                          {ToDoItem::AlarmTime, "14:30:00"},
                                          {ToDoItem::FileLocation, "/media/unplugged/plan.odt"}},
                                         true);
        Editor e = open(before);
        QCOMPARE(e.c<QTimeEdit>("TimePick")->time(), QTime(14, 30));
        edit(e);
        e.ok();
        QCOMPARE(e.dlg->result(), int(QDialog::Accepted));
        QCOMPARE(e.value(column), expected);
        // A completed item stays completed; what was not touched keeps its bytes.
        QVERIFY(e.dlg->item().checked());
        QCOMPARE(e.dlg->item().action(), before.action());
    }

    // Checking the alarm checks the target date too.
    void alarmNeedsATarget()
    {
        Editor e = open(itemWith("new alarm"));
        e.c<QCheckBox>("CbxAlarm")->click();
        QVERIFY(e.c<QCheckBox>("CbxEndDate")->isChecked() && e.c<QDateEdit>("DatePick")->isEnabled());
        // Taking the target away takes the alarm with it, visibly.
        e.c<QCheckBox>("CbxEndDate")->click();
        QVERIFY(!e.c<QCheckBox>("CbxAlarm")->isChecked() && !e.c<QTimeEdit>("TimePick")->isEnabled());
        e.c<QCheckBox>("CbxAlarm")->click();
        e.ok();
        QCOMPARE(e.value(ToDoItem::Target), QStringLiteral("15.03.2026"));
        QCOMPARE(e.value(ToDoItem::AlarmTime), QStringLiteral("09:15:00"));
    }

    // Enter in a name box keeps the typed name and leaves the dialog open; "Delete Item" removes the entry
    // but not the item's name; the lists come back after Cancel too.
    void nameBoxesKeepTheirNames()
    {
        Editor e = open(itemWith("a", {{ToDoItem::Owner, "Bob"}}));
        e.focus("OwnerCombo");
        auto* owner = e.c<NameComboBox>("OwnerCombo");
        owner->lineEdit()->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Carl"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(e.dlg->isVisible());
        QCOMPARE(owner->count(), 3);
        owner->lineEdit()->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Ann"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(owner->currentText(), QStringLiteral("Ann")); // not completed to "Anna"
        QCOMPARE(owner->count(), 4);
        owner->setEditText(QStringLiteral("bob"));
        owner->addTypedName(); // differs only in case: nothing added
        QCOMPARE(owner->count(), 4);

        owner->setCurrentIndex(1);                          // Bob
        e.c<QMenu>("ComboPop")->actions().at(1)->trigger(); // "Delete Item"
        QCOMPARE(owner->currentText(), QStringLiteral("Bob"));
        auto* project = e.c<NameComboBox>("ProjectCombo");
        project->setEditText(QStringLiteral("kept text"));
        e.c<QMenu>("ProjectPop")->actions().at(2)->trigger(); // "Clear All"
        QCOMPARE(project->currentText(), QStringLiteral("kept text"));

        e.c<QPushButton>("CancelBut")->click();
        QCOMPARE(e.dlg->result(), int(QDialog::Rejected));
        QCOMPARE(e.dlg->ownerNames(), (QByteArrayList{"Anna", "Carl", "Ann"}));
        QVERIFY(e.dlg->projectNames().isEmpty());
    }

    // The priority takes digits, typed or pasted; Enter there accepts as elsewhere.
    void priorityKeys()
    {
        Editor e = open(itemWith("a", {{ToDoItem::Priority, "3"}}));
        auto* priority = e.c<QLineEdit>("PriorityEdit");
        QCOMPARE(e.c<QSpinBox>("PrioritySpin")->value(), 3);
        e.focus("PriorityEdit");
        priority->clear();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1a-2 "));
        QCOMPARE(priority->text(), QStringLiteral("12"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        QCOMPARE(priority->text(), QStringLiteral("1"));
        QGuiApplication::clipboard()->setText(QStringLiteral("4 x2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(priority->text(), QStringLiteral("142"));
        e.c<QSpinBox>("PrioritySpin")->setValue(5);
        QCOMPARE(priority->text(), QStringLiteral("5"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(e.dlg->result(), int(QDialog::Accepted));
        QCOMPARE(e.value(ToDoItem::Priority), QStringLiteral("5"));
    }

    // Enter starts a new line in the Action, Ctrl+Enter accepts from there. Escape closes an editor the
    // user did not touch at once, and asks before it throws typed text away: No keeps the text.
    void enterCtrlEnterAndEscape()
    {
        Editor e = open(itemWith("", {{ToDoItem::Target, "15.03.2026"}}));
        e.focus("ActionEdit");
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("one"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("two"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(e.dlg->result(), int(QDialog::Accepted));
        QCOMPARE(e.dlg->item().actionText(), QStringLiteral("one\ntwo"));

        for (const bool typed : {false, true}) {
            Editor again = open(itemWith("kept", {{ToDoItem::Target, "15.03.2026"}}));
            again.focus("RemarksEdit");
            if (typed) {
                QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(" more"));
                messages().setNextAnswer(MessageBox::No);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                QVERIFY(again.dlg->isVisible());
                messages().setNextAnswer(MessageBox::Yes);
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QVERIFY(!again.dlg->isVisible());
            QCOMPARE(messages().shownTexts().size(), typed ? 2 : 0);
            messages().reset();
        }
    }

    void clearAllKeepsDatesAndNames()
    {
        Editor e = open(itemWith("a",
                                 {{ToDoItem::Remarks, "r"},
                                  {ToDoItem::Priority, "5"},
                                  {ToDoItem::Target, "20.03.2026"},
                                  {ToDoItem::Owner, "Bob"}},
                                 true));
        e.c<QPushButton>("ClearAllBut")->click();
        QVERIFY(e.c<QPlainTextEdit>("ActionEdit")->toPlainText().isEmpty());
        QVERIFY(!e.c<QCheckBox>("CbxStatus")->isChecked());
        QVERIFY(e.c<QCheckBox>("CbxEndDate")->isChecked());
        QCOMPARE(e.c<NameComboBox>("OwnerCombo")->currentText(), QStringLiteral("Bob"));
    }

    // Browse takes existing files only.
    void browsePicksExistingFiles()
    {
        QTemporaryDir dir;
        const QString existing = dir.filePath(QStringLiteral("doc.txt"));
        QVERIFY(writeFile(existing, {}));
        Editor e = open(itemWith("a", {{ToDoItem::FileLocation, "/media/unplugged/plan.odt"}}));
        files().setNextFileName(QStringLiteral("/no/such/picked/file"));
        e.c<QToolButton>("BrowseButton")->click();
        QCOMPARE(e.c<QLineEdit>("EdtLocation")->text(), QStringLiteral("/media/unplugged/plan.odt"));
        files().setNextFileName(existing);
        e.c<QToolButton>("BrowseButton")->click();
        e.ok();
        QCOMPARE(e.value(ToDoItem::FileLocation), existing);
    }
};

QTEST_MAIN(EditorTest)
#include "editor_test.moc"
