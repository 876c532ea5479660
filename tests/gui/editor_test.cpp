#include "MainWindowFixture.h"

#include "dialogs/TToDoDlgFrm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QtTest>

#include <memory>

class EditorTest : public QObject
{
    Q_OBJECT

private:
    QByteArrayList owners;
    QByteArrayList projects;

    std::unique_ptr<TToDoDlgFrm> open(const std::function<void(TToDoDlgFrm&)>& fill = {})
    {
        auto dlg = std::make_unique<TToDoDlgFrm>(&owners, &projects);
        dlg->clearValues();
        if (fill)
            fill(*dlg);
        dlg->show();
        return dlg;
    }

private Q_SLOTS:
    void init()
    {
        fixture::setUpOnce(QDateTime(QDate(2026, 3, 14), QTime(9, 15, 0)));
        fixture::quietDialogs(true);
        owners = {"Anna", "Bob"};
        projects = {"House"};
    }

    // Dates given to a new item check their boxes; without them the target picker offers tomorrow.
    void newItemDates()
    {
        auto dlg = open([](TToDoDlgFrm& d) {
            d.A_Date = QStringLiteral("14.03.2026");
            d.A_TDate = QStringLiteral("15.03.2026");
        });
        QVERIFY(dlg->CbxUseDate->isChecked() && dlg->PickDateIn->isEnabled());
        QVERIFY(dlg->CbxEndDate->isChecked());
        QVERIFY(!dlg->CbxAlarm->isChecked() && !dlg->TimePick->isEnabled());
        dlg->Memo1->setPlainText(QStringLiteral("Buy milk"));
        dlg->OKButtClick();
        QCOMPARE(dlg->result(), int(QDialog::Accepted));
        QCOMPARE(dlg->A_Action, QStringLiteral("Buy milk"));
        QCOMPARE(dlg->A_Date, QStringLiteral("14.03.2026"));
        QCOMPARE(dlg->A_TDate, QStringLiteral("15.03.2026"));
        QVERIFY(dlg->A_Time.isEmpty());

        dlg = open();
        QVERIFY(!dlg->CbxUseDate->isChecked() && !dlg->PickDateIn->isEnabled());
        QVERIFY(!dlg->CbxEndDate->isChecked());
        QCOMPARE(dlg->DatePick->date(), QDate(2026, 3, 15));
        dlg->Memo1->setPlainText(QStringLiteral("x"));
        dlg->OKButtClick();
        QVERIFY(dlg->A_Date.isEmpty() && dlg->A_TDate.isEmpty());
    }

    void emptyActionCancels()
    {
        auto dlg = open([](TToDoDlgFrm& d) { d.A_Action = QStringLiteral("old"); });
        dlg->Memo1->clear();
        dlg->OKButtClick();
        QCOMPARE(dlg->result(), int(QDialog::Rejected));
        QCOMPARE(dlg->A_Action, QStringLiteral("old"));
        QVERIFY(MessageBox::shownTexts().isEmpty());
    }

    // The item's alarm shows in the alarm box and survives OK; an alarm needs a target date.
    void alarmIsKeptAndNeedsTarget()
    {
        auto fill = [](TToDoDlgFrm& d) {
            d.A_Action = QStringLiteral("call");
            d.A_TDate = QStringLiteral("20.03.2026");
            d.A_Time = QStringLiteral("14:30:00");
        };
        auto dlg = open(fill);
        QVERIFY(dlg->CbxAlarm->isChecked() && dlg->TimePick->isEnabled());
        QCOMPARE(dlg->TimePick->time(), QTime(14, 30));
        dlg->OKButtClick();
        QCOMPARE(dlg->A_Time, QStringLiteral("14:30:00"));
        QVERIFY(dlg->A_UseTime);

        dlg = open(fill);
        dlg->TimePick->setTime(QTime(16, 0));
        dlg->OKButtClick();
        QCOMPARE(dlg->A_Time, QStringLiteral("16:00:00"));

        dlg = open(fill);
        dlg->CbxEndDate->click();
        QVERIFY(!dlg->DatePick->isEnabled());
        QVERIFY(dlg->CbxAlarm->isChecked());
        dlg->OKButtClick();
        QVERIFY(dlg->A_Time.isEmpty() && dlg->A_TDate.isEmpty());
        QVERIFY(!dlg->A_UseTime && !dlg->A_UseTDate);

        // Checking the alarm checks the target date too.
        dlg = open([](TToDoDlgFrm& d) { d.A_Action = QStringLiteral("new alarm"); });
        dlg->CbxAlarm->click();
        QVERIFY(dlg->CbxEndDate->isChecked() && dlg->DatePick->isEnabled() && dlg->TimePick->isEnabled());
        dlg->OKButtClick();
        QCOMPARE(dlg->A_TDate, QStringLiteral("15.03.2026"));
        QCOMPARE(dlg->A_Time, QStringLiteral("09:15:00"));
    }

    // Texts the pickers cannot read come back as they were unless the user changes the picker.
    void unreadableDatesAreKeptUntilChanged()
    {
        auto fill = [](TToDoDlgFrm& d) {
            d.A_Action = QStringLiteral("a");
            d.A_Date = QStringLiteral("sometime");
            d.A_TDate = QStringLiteral("next week");
        };
        auto dlg = open(fill);
        QCOMPARE(dlg->DatePick->date(), QDate(1999, 9, 9));
        QCOMPARE(dlg->PickDateIn->date(), QDate(2026, 3, 14));
        dlg->OKButtClick();
        QCOMPARE(dlg->A_Date, QStringLiteral("sometime"));
        QCOMPARE(dlg->A_TDate, QStringLiteral("next week"));

        dlg = open(fill);
        dlg->DatePick->setDate(QDate(2026, 4, 1));
        dlg->OKButtClick();
        QCOMPARE(dlg->A_TDate, QStringLiteral("01.04.2026"));
    }

    void ownerNotInListIsKept()
    {
        auto dlg = open([](TToDoDlgFrm& d) {
            d.A_Action = QStringLiteral("a");
            d.A_Owner = QStringLiteral("anna");
            d.A_Project = QStringLiteral("Garden");
        });
        QCOMPARE(dlg->OwnerCombo->currentIndex(), 0);
        QCOMPARE(dlg->ProjectCombo->currentIndex(), -1);
        QCOMPARE(dlg->ProjectCombo->currentText(), QStringLiteral("Garden"));
        dlg->OKButtClick();
        QCOMPARE(dlg->A_Owner, QStringLiteral("Anna"));
        QCOMPARE(dlg->A_Project, QStringLiteral("Garden"));
        dlg.reset();
        // Typed but not added: not in the list afterwards.
        QCOMPARE(projects, QByteArrayList{"House"});
    }

    void nameListsAreWrittenBackEvenOnCancel()
    {
        auto dlg = open();
        dlg->OwnerCombo->setEditText(QStringLiteral("bob"));
        dlg->addNameText(dlg->OwnerCombo); // differs only in case: nothing added
        QCOMPARE(dlg->OwnerCombo->count(), 2);
        dlg->OwnerCombo->setEditText(QStringLiteral("Carl"));
        QTest::keyClick(dlg->OwnerCombo->lineEdit(), Qt::Key_Return);
        QCOMPARE(dlg->OwnerCombo->count(), 3);
        QVERIFY(dlg->isVisible()); // Enter is taken by the name box, not the OK button
        dlg->OwnerCombo->setCurrentIndex(0);
        dlg->ComboPop->actions().at(1)->trigger(); // "Delete Item"
        dlg->ProjectCombo->setEditText(QStringLiteral("kept text"));
        dlg->ProjectPop->actions().at(2)->trigger(); // "Clear All"
        QCOMPARE(dlg->ProjectCombo->currentText(), QStringLiteral("kept text"));
        dlg->CancelButClick();
        QCOMPARE(dlg->result(), int(QDialog::Rejected));
        dlg.reset();
        QCOMPARE(owners, (QByteArrayList{"Bob", "Carl"}));
        QVERIFY(projects.isEmpty());

        // A dialog that was never shown leaves the lists alone.
        projects = {"House"};
        {
            TToDoDlgFrm unused(&owners, &projects);
        }
        QCOMPARE(projects, QByteArrayList{"House"});
    }

    void locationRules()
    {
        QTemporaryDir dir;
        const QString existing = dir.filePath(QStringLiteral("doc.txt"));
        QVERIFY(fixture::writeFile(existing, {}));
        const QString missing = QStringLiteral("/media/unplugged/plan.odt");
        auto fill = [&](TToDoDlgFrm& d) {
            d.A_Action = QStringLiteral("a");
            d.A_Location = missing;
        };

        auto dlg = open(fill);
        QCOMPARE(dlg->EdtLocation->text(), missing);
        dlg->OKButtClick();
        QCOMPARE(dlg->A_Location, missing);

        dlg = open(fill);
        dlg->EdtLocation->clear();
        dlg->OKButtClick();
        QVERIFY(dlg->A_Location.isEmpty());

        dlg = open(fill);
        dlg->EdtLocation->setText(QStringLiteral("/no/such/typed/file"));
        dlg->OKButtClick();
        QCOMPARE(dlg->A_Location, missing);

        dlg = open(fill);
        FileDialog::setNextFileName(QStringLiteral("/no/such/picked/file"));
        dlg->SpeedButton1Click();
        QCOMPARE(dlg->EdtLocation->text(), missing);
        FileDialog::setNextFileName(existing);
        dlg->SpeedButton1Click();
        dlg->OKButtClick();
        QCOMPARE(dlg->A_Location, existing);
    }

    void priorityTakesDigitsOnly()
    {
        auto dlg = open([](TToDoDlgFrm& d) { d.A_Priority = QStringLiteral("3"); });
        QCOMPARE(dlg->UpDown1->value(), 3);
        dlg->Edit2->clear();
        QTest::keyClicks(dlg->Edit2, QStringLiteral("1a-2 "));
        QCOMPARE(dlg->Edit2->text(), QStringLiteral("12"));
        QTest::keyClick(dlg->Edit2, Qt::Key_Backspace);
        QCOMPARE(dlg->Edit2->text(), QStringLiteral("1"));
        dlg->UpDown1->setValue(10);
        QCOMPARE(dlg->Edit2->text(), QStringLiteral("10"));
    }

    void clearAllKeepsDatesAndNames()
    {
        auto dlg = open([](TToDoDlgFrm& d) {
            d.A_Action = QStringLiteral("a");
            d.A_Remarks = QStringLiteral("r");
            d.A_Priority = QStringLiteral("5");
            d.A_Status = true;
            d.A_TDate = QStringLiteral("20.03.2026");
            d.A_Owner = QStringLiteral("Bob");
        });
        dlg->ClearAllButClick();
        QVERIFY(dlg->Memo1->toPlainText().isEmpty() && dlg->Memo2->toPlainText().isEmpty());
        QVERIFY(dlg->Edit2->text().isEmpty() && !dlg->CbxStatus->isChecked());
        QVERIFY(dlg->CbxEndDate->isChecked());
        QCOMPARE(dlg->OwnerCombo->currentText(), QStringLiteral("Bob"));
    }

    // A text the list file's code page cannot hold is refused with a message naming it; nothing is lost.
    void unmappableTextKeepsTheDialogOpen()
    {
        auto dlg = open([](TToDoDlgFrm& d) { d.A_Action = QStringLiteral("old"); });
        dlg->Memo1->setPlainText(QStringLiteral("Call \u65E5\u672C office"));
        dlg->OKButtClick();
        QVERIFY(dlg->isVisible());
        QCOMPARE(dlg->A_Action, QStringLiteral("old"));
        QVERIFY(MessageBox::lastText().contains(QStringLiteral("U+65E5")));
        dlg->Memo1->setPlainText(QStringLiteral("Caf\u00E9"));
        dlg->OKButtClick();
        QCOMPARE(dlg->result(), int(QDialog::Accepted));
        QCOMPARE(dlg->A_Action, QStringLiteral("Caf\u00E9"));
    }

    void unchangedMultiLineTextKeepsItsLineBreaks()
    {
        auto dlg = open([](TToDoDlgFrm& d) {
            d.A_Action = QStringLiteral("one\r\ntwo");
            d.A_Remarks = QStringLiteral("x\r\ny");
        });
        dlg->Memo2->setPlainText(QStringLiteral("x\ny\nz"));
        dlg->OKButtClick();
        QCOMPARE(dlg->A_Action, QStringLiteral("one\r\ntwo"));
        QCOMPARE(dlg->A_Remarks, QStringLiteral("x\r\ny\r\nz"));
    }

    void missingSettingsFileFallsBack()
    {
        TToDoDlgFrm dlg(nullptr, nullptr);
        dlg.setIniFileName(QStringLiteral("/no/such/Quillmar.ini"));
        QVERIFY(dlg.IniFileName().endsWith(QStringLiteral("default.ini")));
    }
};

QTEST_MAIN(EditorTest)
#include "editor_test.moc"
