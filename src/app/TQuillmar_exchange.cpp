// The Im-Export commands: CSV export and import, the HTML page and the iCalendar file of the list.
#include "app/TQuillmar.h"

#include "config/Paths.h"
#include "dialogs/FileDialog.h"
#include "dialogs/MessageBox.h"
#include "exchange/CSVExchange.h"
#include "exchange/ICalendarExport.h"
#include "exchange/ToDo2HTML.h"
#include "platform/Clock.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QTreeView>
#include <QUrl>

namespace {
const QString kCSVFilter = QStringLiteral("CSV Files (*.CSV *.csv)");
const QString kCSVSuffix = QStringLiteral("csv");
const QString kHtmlFilter = QStringLiteral("HTML File (*.HTML *.html)");
const QString kHtmlSuffix = QStringLiteral("html");
const QString kICalendarFilter = QStringLiteral("iCalendar files (*.ics)");
const QString kICalendarSuffix = QStringLiteral("ics");
} // namespace

void TQuillmar::setupExchangeCommands()
{
    connect(actExportCSV, &QAction::triggered, this, &TQuillmar::exportCSV);
    connect(actImportCSV, &QAction::triggered, this, &TQuillmar::importCSV);
    connect(actMakeHTML, &QAction::triggered, this, &TQuillmar::actMakeHTMLExecute);

    // iCalendar export: the list's to-dos for calendar programs.
    actExportICalendar = new QAction(QStringLiteral("Export to iCa&lendar"), this);
    actExportICalendar->setObjectName(QStringLiteral("actExportICalendar"));
    actExportICalendar->setStatusTip(QStringLiteral("Write the list as to-dos for calendar programs"));
    m_imExportMenu->addAction(actExportICalendar);
    connect(actExportICalendar, &QAction::triggered, this, &TQuillmar::exportICalendar);
}

void TQuillmar::exportCSV()
{
    // The dialog asks before it replaces a file.
    const QString path = FileDialog::getSaveFileName(this, QStringLiteral("Export to CSV"), QString(),
                                                     kCSVFilter, kCSVSuffix, true);
    if (path.isEmpty())
        return;
    const IoResult r = WriteCSVFile(path, listModel()->list().items);
    if (!r)
        MessageBox::information(this, r.error);
}

void TQuillmar::importCSV()
{
    const QString path = FileDialog::getOpenFileName(this, QStringLiteral("Import from CSV"), QString(),
                                                     kCSVFilter, kCSVSuffix);
    if (path.isEmpty())
        return;
    // The whole file is read and checked first: it adds all its rows or none.
    std::vector<ToDoItem> rows;
    const IoResult r = ReadCSVFile(path, rows);
    if (!r) {
        MessageBox::information(this, r.error);
        return;
    }
    // A short import is never silent: the count goes to the status bar, an empty file gets a message.
    const QString summary = ImportSummary(path, int(rows.size()));
    if (rows.empty()) {
        MessageBox::information(this, summary);
        return;
    }
    m_document->importItems(std::move(rows));
    setStatusHint(summary);
}

void TQuillmar::actMakeHTMLExecute()
{
    // The shared save dialog starts in the folder of the standard list from now on.
    m_document->setSaveDialogFolder(QFileInfo(StandardListPath()).absolutePath());
    const QString path =
        FileDialog::getSaveFileName(this, QStringLiteral("Export to HTML"), m_document->saveDialogFolder(),
                                    kHtmlFilter, kHtmlSuffix, true);
    if (path.isEmpty())
        return;
    // The settings are read afresh for every page.
    TToDo2HTML html(SettingsFilePath());
    QStringList captions;
    // The captions the list shows, a language file's included.
    for (int c = 0; c < ToDoListModel::ColumnCount; ++c)
        captions << lstToDo->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    const IoResult r = html.WriteHTML(listModel()->list(), captions, path);
    if (!r) {
        MessageBox::information(this, r.error);
        return;
    }
    ShowHTMLFile(path);
}

void TQuillmar::exportICalendar()
{
    const QString path = FileDialog::getSaveFileName(this, QStringLiteral("Export to iCalendar"), QString(),
                                                     kICalendarFilter, kICalendarSuffix, true);
    if (path.isEmpty())
        return;
    // The whole list, also the rows the find bar leaves out.
    if (const IoResult r = WriteICalendarFile(path, listModel()->list(), Clock::now()); !r)
        MessageBox::information(this, r.error);
}

void TQuillmar::ShowHTMLFile(const QString& fileName)
{
    if (!QFileInfo::exists(fileName)) {
        MessageBox::ok(this, QStringLiteral("I didn't find the ") + fileName + QStringLiteral(" file"));
        return;
    }
    // The desktop's association opens it; no shell ever sees the name.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(fileName)))
        MessageBox::information(this, QStringLiteral("No program could be started to show %1.")
                                          .arg(QDir::toNativeSeparators(fileName)));
}
