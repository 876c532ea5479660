// The main window's settings side: language files on the window and the item editor, and the tool bar
// picture.
#include "MainWindowFixture.h"

#include "app/PictureToolBar.h"
#include "app/ReportView.h"
#include "app/TQuillmar.h"
#include "config/IniFile.h"
#include "config/LanguageTexts.h"
#include "dialogs/ItemEditorDialog.h"
#include "dialogs/SettingsDialog.h"
#include "platform/DesktopIntegration.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include <QAbstractButton>
#include <QImage>
#include <QMenuBar>
#include <QTest>

using namespace fixture;

namespace {
QStringList menuTitles(const TQuillmar& w)
{
    QStringList titles;
    for (const QAction* a : w.menuBar()->actions())
        titles << a->text();
    return titles;
}

QString iniValue(const char* section, const char* key)
{
    return IniFile::load(SettingsFilePath())
        .value(QLatin1String(section), QLatin1String(key), QStringLiteral("<none>"));
}

// Start at login and the association, as the settings dialog asks for them; nothing reaches the desktop.
struct NoDesktop : DesktopIntegration
{
    int autoStartCalls = 0;
    IoResult SetAutoStart(const QString&, const QString&, bool) override
    {
        ++autoStartCalls;
        return IoResult::success();
    }
    IoResult RegisterExtension(const QString&) override { return IoResult::success(); }
    IoResult UnregisterExtension(const QString&) override { return IoResult::success(); }
    bool IsExtensionRegistered() override { return false; }
    bool IsAutoStartEnabled() override { return false; }
};

// Whether a new item starts with a begin date: what the editor shows when Add is used.
bool newItemHasBeginDate(TQuillmar& w, QString* cancelText = nullptr)
{
    bool checked = false;
    whenModal<ItemEditorDialog>([&](ItemEditorDialog& dlg) {
        checked = child<QCheckBox>(&dlg, "CbxUseDate")->isChecked();
        if (cancelText)
            *cancelText = child<QAbstractButton>(&dlg, "CancelBut")->text();
        dlg.reject();
    });
    action(&w, "actInsAction")->trigger();
    return checked;
}

// A data folder with a standard list (so that this is not the first start) and the shipped German file.
void withGerman(const TempData& data, const QByteArray& selected)
{
    QDir().mkpath(data.folder);
    QVERIFY(SaveListFile(list({"eins"}), StandardListPath()).ok);
    QVERIFY(QFile::copy(QStringLiteral(QUILLMAR_LANGUAGE_DIR "German.lng"), data.path("German.lng")));
    data.writeIni("[Language File]\nSelected=" + selected + "\n");
}
} // namespace

class SettingsGuiTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { setUpOnce(); }
    void init() { LanguageTexts::shared().reset(); }

    // No standard list yet: the first start already speaks the chosen language.
    void theFirstStartSpeaksTheChosenLanguage()
    {
        TempData data;
        QDir().mkpath(data.folder);
        QVERIFY(QFile::copy(QStringLiteral(QUILLMAR_LANGUAGE_DIR "German.lng"), data.path("German.lng")));
        data.writeIni("[Language File]\nSelected=German.lng\n");
        TQuillmar w;
        w.startUp();
        QCOMPARE(menuTitles(w), (QStringList{"&Datei", "&Bearbeiten", "E&xtras", "&Hilfe"}));
    }

    // Tools > Settings as the user goes through it: a language picked and saved turns the window at once;
    // the begin-date box counts for this run even when the dialog is cancelled, the file keeps its value.
    void settingsDialogAppliesWhatItSaves()
    {
        TempData data;
        withGerman(data, "None");
        TQuillmar w;
        auto desktop = std::make_shared<NoDesktop>();
        w.setDesktopIntegration(desktop);
        w.startUp();
        QVERIFY(action(&w, "actSettings")->isVisible());
        const QColor openColour =
            child<ReportView>(&w, "lstToDo")->model()->index(0, 0).data(Qt::ForegroundRole).value<QColor>();

        QString caption;
        whenModal<SettingsDialog>([&](SettingsDialog& dlg) {
            caption = dlg.windowTitle();
            auto* language = child<QComboBox>(&dlg, "cboLanguage");
            language->setCurrentIndex(language->findText(QStringLiteral("Deutsch")));
            QTest::mouseClick(child<QPushButton>(&dlg, "BtnSaveClose"), Qt::LeftButton);
        });
        action(&w, "actSettings")->trigger();
        QCOMPARE(caption, QStringLiteral("Quillmar: Select Settings and Colors for ToDo List and HTML File"));
        QCOMPARE(menuTitles(w), (QStringList{"&Datei", "&Bearbeiten", "E&xtras", "&Hilfe"}));
        QCOMPARE(iniValue("Language File", "Selected"), QStringLiteral("German.lng"));
        // The start at login was not ticked: saving the language adds nothing to the login programs.
        QCOMPARE(desktop->autoStartCalls, 0);
        // Saving without picking colours leaves the list in its colours.
        QCOMPARE(
            child<ReportView>(&w, "lstToDo")->model()->index(0, 0).data(Qt::ForegroundRole).value<QColor>(),
            openColour);

        QString cancel;
        QVERIFY(newItemHasBeginDate(w, &cancel));
        QCOMPARE(cancel, QStringLiteral("Abbrechen")); // the item editor follows the window's language
        whenModal<SettingsDialog>([&](SettingsDialog& dlg) {
            caption = dlg.windowTitle();
            QTest::mouseClick(child<QCheckBox>(&dlg, "cbxUseBeginDate"), Qt::LeftButton);
            QTest::mouseClick(child<QPushButton>(&dlg, "BtnCancel"), Qt::LeftButton);
        });
        action(&w, "actSettings")->trigger();
        QCOMPARE(caption,
                 QString::fromUtf8("Quillmar: Einstellungen und Farben für Aufgabenliste und HTML-Datei"));
        QVERIFY(!newItemHasBeginDate(w));
        QCOMPARE(iniValue("ToDo Grid", "UseBeginDate"), QStringLiteral("1"));
        QCOMPARE(desktop->autoStartCalls, 0);
        QCOMPARE(w.document().list().size(), 1);
    }

    void toolbarPictureIsCheckedShownAndRemovable()
    {
        TempData data;
        QDir().mkpath(data.folder);
        const QString bad = data.path("not-a-picture.bmp");
        writeFile(bad, "this is text");
        QImage white(40, 40, QImage::Format_RGB32);
        white.fill(Qt::white);
        const QString good = data.path("white.png");
        QVERIFY(white.save(good));

        TQuillmar w;
        w.startUp();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* bar = w.findChild<PictureToolBar*>();
        QVERIFY(bar);
        QAction* remove = action(&w, "actRemoveToolbarImage");

        // Not a picture: refused, told, and not remembered.
        files().setNextFileName(bad);
        action(&w, "actToolbarImage")->trigger();
        QVERIFY(messages().lastText().contains(QStringLiteral("not-a-picture.bmp")));
        QVERIFY(!bar->hasPicture() && !remove->isEnabled());
        QCOMPARE(iniValue("Bitmap", "Name"), QStringLiteral("<none>"));

        files().setNextFileName(good);
        action(&w, "actToolbarImage")->trigger();
        QVERIFY(bar->hasPicture() && remove->isEnabled());
        QCOMPARE(iniValue("Bitmap", "Name"), good);

        remove->trigger();
        QVERIFY(!bar->hasPicture() && !remove->isEnabled());
        QCOMPARE(iniValue("Bitmap", "Name"), QString());
    }
};

QTEST_MAIN(SettingsGuiTest)
#include "settings_gui_test.moc"
