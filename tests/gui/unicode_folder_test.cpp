// A new data folder holds every character: typed into the item editor, saved to the list file and read
// back. The settings dialog offers the code page the editor's message points to.
#include "MainWindowFixture.h"

#include "config/FolderChoices.h"
#include "config/IniFile.h"
#include "dialogs/ItemEditorDialog.h"
#include "dialogs/SettingsDialog.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace fixture;

namespace {
const QString kTyped = QStringLiteral("M\u00FCller \u03A9 \u2713 \U0001F600");

// What the window's start-up does with a data folder before anything reads it.
void startUp()
{
    const FolderChoices choices = FolderChoices::ofDataFolder(QLocale(QLocale::German, QLocale::Germany));
    QVERIFY(choices.apply().isEmpty());
    QVERIFY(choices.fix(SettingsFilePath()).ok);
}

ToDoItem edited(const ToDoItem& item, const QString& action)
{
    ItemEditorDialog dlg;
    dlg.setItem(item);
    dlg.show();
    auto* edit = child<QPlainTextEdit>(&dlg, "ActionEdit");
    if (edit->toPlainText() != action)
        edit->setPlainText(action);
    child<QPushButton>(&dlg, "OKButt")->click();
    return dlg.result() == QDialog::Accepted ? dlg.item() : ToDoItem();
}

QComboBox* codePageBox(SettingsDialog& dlg)
{
    dlg.setIniFileName(SettingsFilePath());
    dlg.show();
    return child<QComboBox>(&dlg, "cboCodePage");
}
} // namespace

class UnicodeFolderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { setUpOnce(); }
    void cleanup() { CodePage::setCurrent(CodePage::Kind::Windows1252); }

    void newFolderRoundTripsEveryCharacter()
    {
        TempData data;
        startUp();
        QCOMPARE(CodePage::current(), CodePage::Kind::Utf8);
        const ToDoItem typed = edited(ToDoItem::make({}), kTyped);
        QVERIFY2(messages().lastText().isEmpty(), qPrintable(messages().lastText()));
        QCOMPARE(typed.action(), kTyped.toUtf8());

        ToDoList list;
        list.items.push_back(typed);
        QVERIFY(SaveListFile(list, StandardListPath()).ok);
        QVERIFY(bytes(StandardListPath()).contains(kTyped.toUtf8()));
        // The next start finds the folder fixed: the same code page, whatever it would choose anew.
        CodePage::setCurrent(CodePage::Kind::Windows1252);
        startUp();
        ToDoList read;
        QVERIFY(LoadListFile(read, StandardListPath()).ok);
        QCOMPARE(read.items.at(0).actionText(), kTyped);
        // Opened and confirmed unchanged in the editor, the text keeps its bytes.
        QCOMPARE(edited(read.items.at(0), kTyped).action(), kTyped.toUtf8());
    }

    // An old folder stays windows-1252 until the user chooses UTF-8 in the dialog; one on UTF-8 stays.
    void settingsDialogOffersTheCodePage()
    {
        TempData data;
        data.writeIni("[Font]\nName=Tahoma\n");
        startUp();
        QCOMPARE(CodePage::current(), CodePage::Kind::Windows1252);
        // The editor refuses the text and stays open, naming the setting that would take it.
        QVERIFY(edited(ToDoItem::make("old"), kTyped).action().isEmpty());
        QVERIFY(messages().lastText().contains(QStringLiteral("code page UTF-8 in the settings")));
        {
            SettingsDialog dlg(nullptr);
            QComboBox* box = codePageBox(dlg);
            QVERIFY(box->isEnabled());
            QCOMPARE(box->currentText(), QStringLiteral("windows-1252"));
            box->setCurrentText(QStringLiteral("UTF-8"));
            child<QPushButton>(&dlg, "BtnSaveClose")->click();
        }
        QCOMPARE(IniFile::load(SettingsFilePath()).value("General", "CodePage"), QStringLiteral("UTF-8"));
        SettingsDialog dlg(nullptr);
        QComboBox* box = codePageBox(dlg);
        QCOMPARE(box->currentText(), QStringLiteral("UTF-8"));
        QVERIFY(!box->isEnabled());
    }
};

QTEST_MAIN(UnicodeFolderTest)
#include "unicode_folder_test.moc"
