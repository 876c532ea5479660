#include "app/ExchangeActions.h"

#include "app/ExchangeJob.h"
#include "app/Hints.h"
#include "config/Config.h"
#include "config/IoMessage.h"
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
#include <QLocale>
#include <QStandardPaths>
#include <QUrl>
#include <QWidget>

#include <memory>

namespace {
const QString kCSVSuffix = QStringLiteral("csv");
const QString kHtmlSuffix = QStringLiteral("html");
const QString kICalendarSuffix = QStringLiteral("ics");

// A file dialog's filter in the language in effect.
QString filter(const char* key)
{
    return LanguageTexts::shared().text("Dialogs", key);
}

// A file dialog is titled with its command.
QString titleOf(const QAction* action)
{
    return action->text().remove(QLatin1Char('&'));
}

// What a running job shows beside its progress bar: the file's name.
QString jobLabel(const char* key, const QString& path)
{
    return LanguageTexts::shared().text("Exchange", key).arg(QFileInfo(path).fileName());
}
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
    m_csvExport = new ExchangeJob(QStringLiteral("jobExportCSV"), this);
    m_csvImport = new ExchangeJob(QStringLiteral("jobImportCSV"), this);
    m_htmlExport = new ExchangeJob(QStringLiteral("jobMakeHTML"), this);
    m_icalendarExport = new ExchangeJob(QStringLiteral("jobExportICalendar"), this);
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

QList<QWidget*> ExchangeActions::progressPanels() const
{
    return {m_csvExport->panel(), m_csvImport->panel(), m_htmlExport->panel(), m_icalendarExport->panel()};
}

QStringList ExchangeActions::runningJobs() const
{
    QStringList names;
    const std::pair<const ExchangeJob*, const QAction*> jobs[] = {{m_csvExport, m_exportCsvAction},
                                                                  {m_csvImport, m_importCsvAction},
                                                                  {m_htmlExport, m_htmlAction},
                                                                  {m_icalendarExport, m_icalendarAction}};
    for (const auto& [job, action] : jobs) {
        if (job->running())
            names << action->text().remove(QLatin1Char('&'));
    }
    return names;
}

QString ExchangeActions::startFolder() const
{
    const QString last = Config::read(SettingsFilePath(), Config::Key::ExchangeFolder);
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void ExchangeActions::rememberFolder(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (folder == Config::read(SettingsFilePath(), Config::Key::ExchangeFolder))
        return;
    // Only where the next dialog starts: a settings file that cannot be written costs nothing else.
    Config::write(SettingsFilePath(), Config::Key::ExchangeFolder, folder);
}

QString ExchangeActions::saveFileName(const QString& title, const QString& filter, const QString& suffix)
{
    // The dialog asks before it replaces a file.
    const QString path = FileDialog::getSaveFileName(m_window, title, startFolder(), filter, suffix, true);
    if (!path.isEmpty())
        rememberFolder(path);
    return path;
}

QString ExchangeActions::openFileName(const QString& title, const QString& filter, const QString& suffix)
{
    const QString path = FileDialog::getOpenFileName(m_window, title, startFolder(), filter, suffix);
    if (!path.isEmpty())
        rememberFolder(path);
    return path;
}

bool ExchangeActions::refusedWhileRunning(const ExchangeJob* job, const QAction* action)
{
    if (!job->running())
        return false;
    MessageBox::information(
        m_window,
        LanguageTexts::shared().text("Exchange", "Item5").arg(action->text().remove(QLatin1Char('&'))));
    return true;
}

bool ExchangeActions::exportDone(const QString& path, qint64 count, const IoResult& result)
{
    const LanguageTexts& texts = LanguageTexts::shared();
    const QString shown = QDir::toNativeSeparators(path);
    if (result.kind == IoError::Cancelled) {
        Q_EMIT statusMessage(texts.text("Exchange", "Item6").arg(shown));
        return false;
    }
    if (!result) {
        MessageBox::information(m_window, IoMessage(result));
        return false;
    }
    Q_EMIT statusMessage(count == 1 ? texts.text("Exchange", "Item4").arg(shown)
                                    : texts.text("Exchange", "Item3").arg(QLocale().toString(count), shown));
    return true;
}

void ExchangeActions::exportCSV()
{
    if (refusedWhileRunning(m_csvExport, m_exportCsvAction))
        return;
    const QString path = saveFileName(titleOf(m_exportCsvAction), filter("CsvFilter"), kCSVSuffix);
    if (path.isEmpty())
        return;
    // The rows as they are now (an import whole): editing goes on while the copy is written. The copy
    // is let go on the job's thread, which spares the window freeing a million rows.
    m_document->finishPendingChanges();
    auto rows = std::make_shared<const std::vector<ToDoItem>>(m_document->model()->list().items);
    const qint64 count = qint64(rows->size());
    m_csvExport->start(
        jobLabel("Item1", path),
        [path, rows](JobProgress& progress) mutable {
            progress.setTotal(qint64(rows->size()));
            const IoResult r = WriteCSVFile(path, *rows, &progress);
            rows.reset();
            return r;
        },
        [this, path, count](const IoResult& r) { exportDone(path, count, r); });
}

void ExchangeActions::importCSV()
{
    if (refusedWhileRunning(m_csvImport, m_importCsvAction))
        return;
    const QString path = openFileName(titleOf(m_importCsvAction), filter("CsvFilter"), kCSVSuffix);
    if (path.isEmpty())
        return;
    struct Read
    {
        std::vector<ToDoItem> rows;
        CSVImportNotes notes;
    };
    auto read = std::make_shared<Read>();
    // The list the rows are meant for: the one shown when the import started.
    const ListMode mode = m_document->mode();
    const QString external = m_document->externalFileName();
    m_csvImport->start(
        jobLabel("Item2", path),
        [path, read](JobProgress& progress) {
            return ReadCSVFile(path, read->rows, &read->notes, &progress);
        },
        [this, path, read, mode, external](const IoResult& r) {
            const LanguageTexts& texts = LanguageTexts::shared();
            if (r.kind == IoError::Cancelled) {
                Q_EMIT statusMessage(texts.text("Exchange", "Item7"));
                return;
            }
            // The whole file was read and checked first: it adds all its rows or none.
            if (!r) {
                MessageBox::information(m_window, IoMessage(r));
                return;
            }
            // A short import is never silent: the count goes to the status bar, an empty file gets a message.
            const QString summary = ImportSummary(path, int(read->rows.size()), read->notes);
            if (read->rows.empty()) {
                MessageBox::information(m_window, summary);
                return;
            }
            if (m_document->mode() != mode || m_document->externalFileName() != external ||
                !m_document->canChangeRows()) {
                MessageBox::information(m_window,
                                        texts.text("Exchange", "Item8").arg(QDir::toNativeSeparators(path)));
                return;
            }
            m_document->importItems(std::move(read->rows));
            Q_EMIT statusMessage(summary);
        });
}

void ExchangeActions::exportHTML()
{
    if (refusedWhileRunning(m_htmlExport, m_htmlAction))
        return;
    const QString path = saveFileName(titleOf(m_htmlAction), filter("HtmlFilter"), kHtmlSuffix);
    if (path.isEmpty())
        return;
    // The settings are read afresh for every page.
    auto html = std::make_shared<TToDo2HTML>(SettingsFilePath());
    const ListMode mode = m_document->mode();
    html->Title = TToDo2HTML::ListTitle(mode == ListMode::External  ? m_document->externalFileName()
                                        : mode == ListMode::History ? HistoryListPath()
                                                                    : QString());
    QStringList captions;
    // The captions the list shows, a language file's included.
    for (int c = 0; c < ToDoListModel::ColumnCount; ++c)
        captions << m_captions->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    m_document->finishPendingChanges();
    auto rows = std::make_shared<const std::vector<ToDoItem>>(m_document->model()->list().items);
    const qint64 count = qint64(rows->size());
    m_htmlExport->start(
        jobLabel("Item1", path),
        [path, rows, html, captions](JobProgress& progress) mutable {
            progress.setTotal(qint64(rows->size()));
            const IoResult r = html->WriteHTML(*rows, captions, path, nullptr, &progress);
            rows.reset();
            return r;
        },
        [this, path, count](const IoResult& r) {
            if (exportDone(path, count, r))
                showHTMLFile(path);
        });
}

void ExchangeActions::exportICalendar()
{
    if (refusedWhileRunning(m_icalendarExport, m_icalendarAction))
        return;
    const QString path =
        saveFileName(titleOf(m_icalendarAction), filter("ICalendarFilter"), kICalendarSuffix);
    if (path.isEmpty())
        return;
    m_document->finishPendingChanges();
    auto list = std::make_shared<ToDoList>();
    list->items = m_document->model()->list().items;
    const qint64 count = qint64(list->items.size());
    m_icalendarExport->start(
        jobLabel("Item1", path),
        [path, list, stamp = Clock::now()](JobProgress& progress) mutable {
            progress.setTotal(qint64(list->items.size()));
            const IoResult r = WriteICalendarFile(path, *list, stamp, &progress);
            list.reset();
            return r;
        },
        [this, path, count](const IoResult& r) { exportDone(path, count, r); });
}

void ExchangeActions::importICalendar()
{
    const QString path =
        openFileName(titleOf(m_importICalendarAction), filter("ICalendarFilter"), kICalendarSuffix);
    if (path.isEmpty())
        return;
    // Read and checked whole first, as the CSV import: all the to-dos or none, and one step to undo.
    ICalendarImport import;
    if (const IoResult r = ReadICalendar(path, import); !r) {
        MessageBox::information(m_window, IoMessage(r));
        return;
    }
    const QString summary = ICalendarImportSummary(path, import);
    if (import.items.empty()) {
        MessageBox::information(m_window, summary);
        return;
    }
    m_document->importItems(std::move(import.items));
    Q_EMIT statusMessage(summary);
}

void ExchangeActions::showHTMLFile(const QString& fileName)
{
    if (!QFileInfo::exists(fileName)) {
        MessageBox::ok(m_window, LanguageTexts::shared().text("Messages", "NoHtmlFile").arg(fileName));
        return;
    }
    // The desktop's association opens it; no shell ever sees the name.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(fileName)))
        MessageBox::information(
            m_window,
            LanguageTexts::shared().text("Messages", "NoViewer").arg(QDir::toNativeSeparators(fileName)));
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
    for (ExchangeJob* job : {m_csvExport, m_csvImport, m_htmlExport, m_icalendarExport})
        job->setCancelText(texts.text("Exchange", "Item0"));
}
