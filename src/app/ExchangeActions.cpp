#include "app/ExchangeActions.h"

#include "app/Hints.h"
#include "config/LanguageTexts.h"
#include "config/Paths.h"
#include "dialogs/FileDialog.h"
#include "dialogs/MessageBox.h"
#include "exchange/CSVExchange.h"
#include "exchange/ICalendarExport.h"
#include "exchange/ICalendarImport.h"
#include "exchange/ToDo2HTML.h"
#include "model/ListDocument.h"
#include "platform/Clock.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QWidget>

namespace {
const QString kCSVFilter = QStringLiteral("CSV Files (*.CSV *.csv)");
const QString kCSVSuffix = QStringLiteral("csv");
const QString kHtmlFilter = QStringLiteral("HTML File (*.HTML *.html)");
const QString kHtmlSuffix = QStringLiteral("html");
const QString kICalendarFilter = QStringLiteral("iCalendar files (*.ics)");
const QString kICalendarSuffix = QStringLiteral("ics");
} // namespace

ExchangeActions::ExchangeActions(ListDocument* document, const QAbstractItemModel* captions, QWidget* window)
    : QObject(window), m_document(document), m_captions(captions), m_window(window)
{
    auto make = [this](const char* name, const QString& text) {
        auto* action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    m_exportCsvAction = make("actExportCSV", QStringLiteral("Export to &CSV"));
    m_importCsvAction = make("actImportCSV", QStringLiteral("&Import from CSV"));
    m_htmlAction = make("actMakeHTML", QStringLiteral("Export to &HTML"));
    applyHint(m_htmlAction, LanguageTexts::shared().text("Hints_Main", "MakeHTML"));
    m_icalendarAction = make("actExportICalendar", QStringLiteral("Export to iCa&lendar"));
    m_icalendarAction->setStatusTip(LanguageTexts::shared().text("Hints_Main", "ExportICalendar"));
    m_importICalendarAction = make("actImportICalendar", QStringLiteral("Import from iCalen&dar"));
    m_importICalendarAction->setStatusTip(LanguageTexts::shared().text("Hints_Main", "ImportICalendar"));
    connect(m_exportCsvAction, &QAction::triggered, this, &ExchangeActions::exportCSV);
    connect(m_importCsvAction, &QAction::triggered, this, &ExchangeActions::importCSV);
    connect(m_htmlAction, &QAction::triggered, this, &ExchangeActions::exportHTML);
    connect(m_icalendarAction, &QAction::triggered, this, &ExchangeActions::exportICalendar);
    connect(m_importICalendarAction, &QAction::triggered, this, &ExchangeActions::importICalendar);
}

QList<QAction*> ExchangeActions::actions() const
{
    return {m_exportCsvAction, m_importCsvAction, m_htmlAction, m_icalendarAction, m_importICalendarAction};
}

void ExchangeActions::setImportEnabled(bool enabled)
{
    m_importCsvAction->setEnabled(enabled);
    m_importICalendarAction->setEnabled(enabled);
}

void ExchangeActions::exportCSV()
{
    // The dialog asks before it replaces a file.
    const QString path = FileDialog::getSaveFileName(m_window, QStringLiteral("Export to CSV"), QString(),
                                                     kCSVFilter, kCSVSuffix, true);
    if (path.isEmpty())
        return;
    if (const IoResult r = WriteCSVFile(path, m_document->model()->list().items); !r)
        MessageBox::information(m_window, r.error);
}

void ExchangeActions::importCSV()
{
    const QString path = FileDialog::getOpenFileName(m_window, QStringLiteral("Import from CSV"), QString(),
                                                     kCSVFilter, kCSVSuffix);
    if (path.isEmpty())
        return;
    // The whole file is read and checked first: it adds all its rows or none.
    std::vector<ToDoItem> rows;
    CSVImportNotes notes;
    if (const IoResult r = ReadCSVFile(path, rows, &notes); !r) {
        MessageBox::information(m_window, r.error);
        return;
    }
    // A short import is never silent: the count goes to the status bar, an empty file gets a message.
    const QString summary = ImportSummary(path, int(rows.size()), notes);
    if (rows.empty()) {
        MessageBox::information(m_window, summary);
        return;
    }
    m_document->importItems(std::move(rows));
    Q_EMIT imported(summary);
}

void ExchangeActions::exportHTML()
{
    // The shared save dialog starts in the folder of the standard list from now on.
    m_document->setSaveDialogFolder(QFileInfo(StandardListPath()).absolutePath());
    const QString path =
        FileDialog::getSaveFileName(m_window, QStringLiteral("Export to HTML"),
                                    m_document->saveDialogFolder(), kHtmlFilter, kHtmlSuffix, true);
    if (path.isEmpty())
        return;
    // The settings are read afresh for every page.
    TToDo2HTML html(SettingsFilePath());
    const ListMode mode = m_document->mode();
    html.Title = TToDo2HTML::ListTitle(mode == ListMode::External  ? m_document->externalFileName()
                                       : mode == ListMode::History ? HistoryListPath()
                                                                   : QString());
    QStringList captions;
    // The captions the list shows, a language file's included.
    for (int c = 0; c < ToDoListModel::ColumnCount; ++c)
        captions << m_captions->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    if (const IoResult r = html.WriteHTML(m_document->model()->list(), captions, path); !r) {
        MessageBox::information(m_window, r.error);
        return;
    }
    showHTMLFile(path);
}

void ExchangeActions::exportICalendar()
{
    const QString path = FileDialog::getSaveFileName(m_window, QStringLiteral("Export to iCalendar"),
                                                     QString(), kICalendarFilter, kICalendarSuffix, true);
    if (path.isEmpty())
        return;
    if (const IoResult r = WriteICalendarFile(path, m_document->model()->list(), Clock::now()); !r)
        MessageBox::information(m_window, r.error);
}

void ExchangeActions::importICalendar()
{
    const QString path = FileDialog::getOpenFileName(m_window, QStringLiteral("Import from iCalendar"),
                                                     QString(), kICalendarFilter, kICalendarSuffix);
    if (path.isEmpty())
        return;
    // Read and checked whole first, as the CSV import: all the to-dos or none, and one step to undo.
    ICalendarImport import;
    if (const IoResult r = ReadICalendar(path, import); !r) {
        MessageBox::information(m_window, r.error);
        return;
    }
    const QString summary = ICalendarImportSummary(path, import);
    if (import.items.empty()) {
        MessageBox::information(m_window, summary);
        return;
    }
    m_document->importItems(std::move(import.items));
    Q_EMIT imported(summary);
}

void ExchangeActions::showHTMLFile(const QString& fileName)
{
    if (!QFileInfo::exists(fileName)) {
        MessageBox::ok(m_window, QStringLiteral("I didn't find the ") + fileName + QStringLiteral(" file"));
        return;
    }
    // The desktop's association opens it; no shell ever sees the name.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(fileName)))
        MessageBox::information(m_window, QStringLiteral("No program could be started to show %1.")
                                              .arg(QDir::toNativeSeparators(fileName)));
}

void ExchangeActions::retranslate()
{
    const LanguageTexts& texts = LanguageTexts::shared();
    m_exportCsvAction->setText(texts.text("ImExport", "Item3"));
    m_importCsvAction->setText(texts.text("ImExport", "Item4"));
    m_htmlAction->setText(texts.text("ImExport", "Item5"));
    m_icalendarAction->setText(texts.text("ImExport", "Item6"));
    m_importICalendarAction->setText(texts.text("ImExport", "Item7"));
    applyHint(m_htmlAction, texts.text("Hints_Main", "MakeHTML"));
    m_icalendarAction->setStatusTip(texts.text("Hints_Main", "ExportICalendar"));
    m_importICalendarAction->setStatusTip(texts.text("Hints_Main", "ImportICalendar"));
}
