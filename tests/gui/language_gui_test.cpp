// Every text the window, the settings dialog and the item editor show comes from the language table: run
// once without a language file and once with the shipped German one, a text that reads the same in both is
// one the table misses. The messages of failing paths (a CSV line that cannot be read, a file that cannot be
// written) and the about box's system report are compared part by part, with the data folder and the
// figures, which differ from run to run, left out.
#include "MainWindowFixture.h"

#include "app/TQuillmar.h"
#include "config/LanguageTexts.h"
#include "dialogs/ItemEditorDialog.h"
#include "dialogs/SettingsDialog.h"
#include "dialogs/TAboutBox.h"

#include <QToolButton>

#include <QComboBox>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QtTest>

#include <map>

using namespace fixture;

namespace {
using Texts = std::map<QString, QString>;

// What a user reads on a window and its named parts (widgets, actions, menus), keyed by where it stands.
void collect(QWidget* root, Texts& texts)
{
    QObjectList parts{root};
    for (QObject* o : root->findChildren<QObject*>()) {
        if (!o->objectName().isEmpty() && !o->objectName().startsWith(QLatin1String("qt_")))
            parts << o;
    }
    for (const QObject* o : std::as_const(parts)) {
        QStringList shown;
        for (const char* property :
             {"text", "title", "windowTitle", "placeholderText", "toolTip", "statusTip", "plainText"})
            shown << o->property(property).toString();
        if (auto* tabs = qobject_cast<const QTabWidget*>(o)) {
            for (int i = 0; i < tabs->count(); ++i)
                shown << tabs->tabText(i);
        }
        // Lists show their rows, tables their column captions.
        if (auto* view = qobject_cast<const QAbstractItemView*>(o); view && view->model()) {
            const bool table = qobject_cast<const QTableView*>(o) || qobject_cast<const QTreeView*>(o);
            for (int i = 0; i < (table ? view->model()->columnCount() : view->model()->rowCount()); ++i)
                shown << (table ? view->model()->headerData(i, Qt::Horizontal)
                                : view->model()->index(i, 0).data())
                             .toString();
        }
        if (auto* list = qobject_cast<const QComboBox*>(o); list && !list->isEditable()) {
            for (int i = 0; i < list->count(); ++i)
                shown << list->itemText(i);
        }
        for (int i = 0; i < shown.size(); ++i)
            texts[root->objectName() + QLatin1Char('/') + o->objectName() + QLatin1Char('.') +
                  QString::number(i)] = shown[i];
    }
}

// The main window, then its settings dialog and item editor opened as the user opens them.
Texts textsOf(const QByteArray& language)
{
    TempData data;
    QDir().mkpath(data.folder);
    QFile::copy(QStringLiteral(QUILLMAR_LANGUAGE_DIR "German.lng"), data.path("German.lng"));
    data.writeIni("[Language File]\nSelected=" + language + "\n");
    LanguageTexts::shared().reset();
    TQuillmar w;
    w.startUp();
    Texts texts;
    collect(&w, texts);
    whenModal<SettingsDialog>([&texts](SettingsDialog& dlg) {
        collect(&dlg, texts);
        dlg.reject();
    });
    action(&w, "actSettings")->trigger();
    whenModal<ItemEditorDialog>([&texts](ItemEditorDialog& dlg) {
        collect(&dlg, texts);
        dlg.done(QDialog::Rejected);
    });
    action(&w, "actInsAction")->trigger();

    // A message by its parts (lines, and the parts of a line between ": " and "; "); of the system
    // report only the lines with labels, not the volumes' names.
    auto shown = [&](const char* where, int lines = 100) {
        QString text = messages().lastText();
        text.replace(QDir::toNativeSeparators(data.dir.path()), QStringLiteral("<data>"))
            .replace(QRegularExpression(QStringLiteral("\\d+")), QStringLiteral("#"));
        const QStringList parts = text.section(QLatin1Char('\n'), 0, lines - 1)
                                      .split(QRegularExpression(QStringLiteral("\n|: |; ")));
        for (int i = 0; i < parts.size(); ++i)
            texts[QLatin1String(where) + QString::number(i)] = parts[i];
        messages().reset();
    };
    const QString bad = data.dir.filePath(QStringLiteral("bad.csv"));
    writeFile(bad, "Actions,Owner\r\n\"open,1\r\n");
    files().setNextFileName(bad);
    action(&w, "actImportCSV")->trigger();
    if (!QTest::qWaitFor([&w] { return jobsFinished(&w); }))
        messages().reset(); // no message: the check below says so
    shown("messages/import.");
    files().setNextFileName(data.dir.filePath(QStringLiteral("no/such/out.csv")));
    action(&w, "actExportCSV")->trigger();
    if (!QTest::qWaitFor([&w] { return jobsFinished(&w); }))
        messages().reset(); // no message: the check below says so
    shown("messages/export.");
    whenModal<TAboutBox>([&shown](TAboutBox& box) {
        QTest::mouseClick(child<QToolButton>(&box, "SpeedButton2"), Qt::LeftButton);
        shown("messages/system.", 4);
        QTest::mouseClick(child<QToolButton>(&box, "SpeedButton1"), Qt::LeftButton);
    });
    action(&w, "actAbout")->trigger();
    return texts;
}
} // namespace

class LanguageGuiTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        setUpOnce();
        quietDialogs(true);
    }

    void everyShownTextIsInTheTable()
    {
        const Texts english = textsOf("None");
        const Texts german = textsOf("German.lng");
        QVERIFY(english.size() > 100);
        for (const char* message : {"messages/import.0", "messages/export.0", "messages/system.0"})
            QVERIFY2(!english.at(QLatin1String(message)).isEmpty(), message);
        // Names, numbers and sizes, the file dialog's "...", a web address and words German shares with
        // English; the lists of fonts, code pages and languages, which name them in their own words (all but
        // the first language entry, which stands for no language file).
        static const QRegularExpression neutral(
            QStringLiteral("^(|[^A-Za-z]*( [KM]B)?|\\s*Quillmar[ ?\\[\\]*]*|OK|Alarm|Sync|https://)$"));
        static const QRegularExpression names(
            QStringLiteral("/(FontCombo|cboCodePage)\\.([7-9]|\\d\\d+)$|/cboLanguage\\.([89]|\\d\\d+)$"));
        QStringList missing;
        for (const auto& [where, text] : english) {
            const auto other = german.find(where);
            if (other != german.end() && other->second == text && !neutral.match(text).hasMatch() &&
                !names.match(where).hasMatch())
                missing << where + QStringLiteral(": ") + text;
        }
        for (const QString& line : missing)
            qWarning("not in the language table: %s", qPrintable(line));
        QVERIFY2(missing.isEmpty(), "texts are missing from the language table (listed above)");
    }
};

QTEST_MAIN(LanguageGuiTest)
#include "language_gui_test.moc"
