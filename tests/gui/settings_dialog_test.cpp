// The settings dialog as a user meets it: it shows what the file holds, writes everything on Save and
// Close and nothing on Cancel, and acts on the desktop through the integration (a recording fake here).
#include "MainWindowFixture.h"

#include "config/IniFile.h"
#include "config/LanguageTexts.h"
#include "dialogs/SettingsDialog.h"
#include "dialogs/TColorGrid.h"
#include "platform/DesktopIntegration.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace fixture;

namespace {
// Records every call; an operation named in failing fails with a reason.
class FakeIntegration : public DesktopIntegration
{
public:
    QStringList calls;
    QStringList failing;
    bool registered = false;
    bool autoStart = false;

    IoResult SetAutoStart(const QString& programPath, const QString& name, bool enable) override
    {
        const IoResult r = record(QStringLiteral("SetAutoStart %1 %2 %3").arg(programPath, name).arg(enable));
        if (r)
            autoStart = enable;
        return r;
    }
    bool IsAutoStartEnabled() override { return autoStart; }
    IoResult RegisterExtension(const QString& extension) override
    {
        const IoResult r = record(QStringLiteral("Register ") + extension);
        if (r && extension == QLatin1String("tdo"))
            registered = true;
        return r;
    }
    IoResult UnregisterExtension(const QString& extension) override
    {
        const IoResult r = record(QStringLiteral("Unregister ") + extension);
        if (r && extension == QLatin1String("tdo"))
            registered = false;
        return r;
    }
    bool IsExtensionRegistered() override { return registered; }

private:
    IoResult record(const QString& call)
    {
        calls << call;
        if (failing.contains(call))
            return IoResult::failed(IoStep::Write, QStringLiteral("/x/mimeapps.list"), IoError::ReadOnly,
                                    QStringLiteral("Read-only file system"));
        return IoResult::success();
    }
};

// One open dialog on the settings file of a temporary data folder, its controls found by name.
struct Dialog
{
    std::shared_ptr<FakeIntegration> fake = std::make_shared<FakeIntegration>();
    std::unique_ptr<SettingsDialog> dlg;

    explicit Dialog(bool registered = false, bool autoStart = false)
    {
        fake->registered = registered;
        fake->autoStart = autoStart;
        dlg = std::make_unique<SettingsDialog>(fake);
        dlg->setIniFileName(SettingsFilePath());
        dlg->setFormCaption(
            QStringLiteral("Quillmar: Select Settings and Colors for ToDo List and HTML File"));
        dlg->show();
        QApplication::setActiveWindow(dlg.get());
    }
    template <typename T> T* c(const char* name) const { return child<T>(dlg.get(), name); }
    QListWidget* list() const { return c<QListWidget>("StyleList"); }
    TColorGrid* grid() const { return c<TColorGrid>("ColGrid"); }
    void select(int row) const
    {
        QListWidget* l = list();
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(row)).center());
    }
    void clickCell(int cell) const
    {
        TColorGrid* g = grid();
        const QRect r = ColorGridCells::cellRect(cell, g->size(), g->GridOrdering());
        QTest::mouseClick(g, Qt::LeftButton, {}, r.center());
    }
    void save() const { c<QPushButton>("BtnSaveClose")->click(); }
};

QString value(const char* section, const char* key)
{
    return IniFile::load(SettingsFilePath()).value(QLatin1String(section), QLatin1String(key), "<none>");
}
} // namespace

class SettingsDialogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        setUpOnce();
        LanguageTexts::shared().reset();
    }

    // An empty file: "None" as language (the built-in "German.lng" would switch a user who merely saves to
    // the shipped German texts). Save at once writes it (the defaults are settings_dialog_rules_test's)
    // and leaves start at login alone: nobody ticked it.
    void emptyFileShownAndSavedAtOnce()
    {
        TempData data;
        data.writeIni("");
        Dialog d;
        QCOMPARE(d.c<QComboBox>("cboLanguage")->currentText(), QStringLiteral("None"));
        QVERIFY(d.fake->calls.isEmpty());

        d.save();
        QCOMPARE(d.dlg->result(), int(QDialog::Accepted));
        QCOMPARE(value("Language File", "Selected"), QStringLiteral("None"));
        QVERIFY(!d.c<QCheckBox>("CbxAutoStart")->isChecked());
        QVERIFY(d.fake->calls.isEmpty());
        // Sync never set up: no section of its own.
        QCOMPARE(value("Sync", "Url"), QStringLiteral("<none>"));
        QVERIFY(messages().shownTexts().isEmpty());
    }

    // The start-at-login box shows what the desktop does, whatever the file says; saved unchanged, it
    // touches nothing.
    void autoStartBoxShowsTheDesktop()
    {
        TempData data;
        data.writeIni("[ToDo Grid]\nAutoStart=False\n");
        Dialog d(false, true);
        QVERIFY(d.c<QCheckBox>("CbxAutoStart")->isChecked());
        d.save();
        QVERIFY(d.fake->calls.isEmpty());
    }

    // Cancel after changing everything: the file keeps its bytes and start at login is not touched; the
    // begin-date box is still there for the main window to take.
    void cancelWritesNothing()
    {
        TempData data;
        const QByteArray before = "[Header]\nText=Mine\nColor=clRed\n[ToDo Grid]\nUseBeginDate=1\n";
        data.writeIni(before);
        Dialog d;
        QCOMPARE(d.c<QLineEdit>("EdtText")->text(), QStringLiteral("Mine"));
        QCOMPARE(d.grid()->ForegroundIndex(), 9);
        d.c<QLineEdit>("EdtText")->setText(QStringLiteral("changed"));
        d.clickCell(12);
        d.c<QCheckBox>("CbxGridLines")->click();
        d.c<QCheckBox>("cbxUseBeginDate")->click();
        d.c<QPushButton>("BtnCancel")->click();
        QCOMPARE(d.dlg->result(), int(QDialog::Rejected));
        QCOMPARE(bytes(SettingsFilePath()), before);
        QVERIFY(d.fake->calls.isEmpty());
        QVERIFY(!d.dlg->UseInputDate());
    }

    // A settings path that is a folder: Save says why it cannot write and stays open; nothing is written
    // to the program folder's fallback file instead.
    void unusableSettingsFileIsReported()
    {
        TempData data;
        QTemporaryDir program;
        SetProgramFolderForTesting(program.path());
        QVERIFY(QDir().mkpath(SettingsFilePath()));
        Dialog d;
        d.save();
        QVERIFY(d.dlg->isVisible());
        QVERIFY(!messages().shownTexts().isEmpty());
        QVERIFY(!QFileInfo::exists(FallbackIniPath()));
        SetProgramFolderForTesting(QString());
    }

    // A picked cell becomes the item's colour; a colour no cell shows stays as stored unless the user
    // picks a cell (which items are written is settings_dialog_rules_test's).
    void colourKeptUnlessPicked()
    {
        TempData data;
        data.writeIni("[Header]\nColor=$00123456\n[Open Item Color]\nColor=clRed\n");
        Dialog d;
        QCOMPARE(d.grid()->ForegroundIndex(), -1);
        d.select(5);
        d.clickCell(12);
        d.select(0);
        d.save();
        QCOMPARE(value("Header", "Color"), QStringLiteral("$00123456"));
        QCOMPARE(value("Open Item Color", "Color"), QStringLiteral("clBlue"));
    }

    // An empty text size is named when another item is chosen and on Save, and the dialog stays open with
    // nothing written.
    void textSizeMustBeANumber()
    {
        TempData data;
        data.writeIni("[Header]\nTextSize=2\n");
        const QByteArray before = bytes(SettingsFilePath());
        Dialog d;
        d.c<QLineEdit>("EdtSze")->clear();

        d.select(1);
        QCOMPARE(d.list()->currentRow(), 0);
        QVERIFY(messages().lastText().contains(QLatin1String("\"Header\" must be a whole number")));
        messages().reset();
        d.save();
        QVERIFY(messages().lastText().contains(QLatin1String("whole number")));
        QVERIFY(d.dlg->isVisible());
        QCOMPARE(bytes(SettingsFilePath()), before);
        QVERIFY(d.fake->calls.isEmpty());
    }

    // The association changes at the click, both extensions at once; clearing the box removes it again
    // (the flag follows what was done); a failure is shown with its reason and the box turns back.
    void associationAtTheClick()
    {
        TempData data;
        data.writeIni("");
        {
            Dialog d;
            auto* box = d.c<QCheckBox>("CbxRegisterExtension");
            box->click();
            QCOMPARE(d.fake->calls, (QStringList{"Register tdo", "Register tdx"}));
            box->click();
            QCOMPARE(d.fake->calls,
                     (QStringList{"Register tdo", "Register tdx", "Unregister tdo", "Unregister tdx"}));
            d.c<QPushButton>("BtnCancel")->click();
            QCOMPARE(d.fake->calls.size(), 4);
        }
        {
            Dialog d(true);
            auto* box = d.c<QCheckBox>("CbxRegisterExtension");
            QVERIFY(box->isChecked());
            d.fake->failing << QStringLiteral("Unregister tdo");
            box->click();
            QVERIFY(box->isChecked());
            QVERIFY(messages().lastText().contains(QLatin1String("mimeapps.list")));
            QVERIFY(messages().lastText().contains(QLatin1String("read-only")));
        }
    }

    // Save writes what each control shows, not what the file held: the boxes, the spin boxes, the text
    // size's arrows and the picked sound file.
    void everyControlReachesTheFile()
    {
        const struct
        {
            const char* section;
            const char* key;
            QString saved;
            std::function<void(const Dialog&)> change;
        } cases[] = {
            {"ToDo Grid", "UseBeginDate", "0",
             [](const Dialog& d) { d.c<QCheckBox>("cbxUseBeginDate")->click(); }},
            {"ToDo Grid", "ShowGrid", "False",
             [](const Dialog& d) { d.c<QCheckBox>("CbxGridLines")->click(); }},
            {"ToDo Grid", "AutoStart", "True",
             [](const Dialog& d) { d.c<QCheckBox>("CbxAutoStart")->click(); }},
            {"Font", "Size", "14", [](const Dialog& d) { d.c<QSpinBox>("EdtFontSize")->setValue(14); }},
            {"Alarm", "PreAlarm Time", "5",
             [](const Dialog& d) { d.c<QSpinBox>("EdtPreAlarm")->setValue(5); }},
            {"Header", "TextSize", "-3", [](const Dialog& d) { d.c<QSpinBox>("SzeUpDown")->setValue(-3); }},
            {"Alarm", "Sound File", QCoreApplication::applicationFilePath(),
             [](const Dialog& d) {
                 files().setNextFileName(QCoreApplication::applicationFilePath());
                 d.c<QToolButton>("BtnSoundFile")->click();
             }},
        };
        for (const auto& c : cases) {
            TempData data;
            data.writeIni("");
            Dialog d;
            c.change(d);
            d.save();
            QCOMPARE(value(c.section, c.key), c.saved);
        }
    }
};

QTEST_MAIN(SettingsDialogTest)
#include "settings_dialog_test.moc"
