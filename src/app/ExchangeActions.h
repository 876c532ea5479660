#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

struct IoResult;
class ExchangeJob;
class ListDocument;
class QAbstractItemModel;
class QAction;
class QWidget;

// The Im-Export commands that write or read other formats: CSV export and import, the HTML page, and
// iCalendar export and import. Each writes the whole list, also the rows the find bar leaves out.
//
// The exports and the CSV import run beside the window (ExchangeJob): an export writes a copy of the rows
// as they were when it started, and the import's rows join the list, as one change to undo, once the
// whole file was read, on the window's thread. A job that is still running is not started again. The file
// dialogs start in the folder used last by any of these commands (kept in the settings), at first in the
// user's documents folder.
class ExchangeActions : public QObject
{
    Q_OBJECT

public:
    // captions: the model whose header the HTML page takes its column captions from.
    ExchangeActions(ListDocument* document, const QAbstractItemModel* captions, QWidget* window);

    // In the Im-Export menu's order.
    QList<QAction*> actions() const;
    // The progress panels of the jobs, for the status bar; hidden while their job is not running.
    QList<QWidget*> progressPanels() const;
    // The commands whose job still runs, by name ("Export to CSV"); empty when none does.
    QStringList runningJobs() const;
    // An import needs a list that has a place to be saved.
    void setImportEnabled(bool enabled);
    void retranslate();

Q_SIGNALS:
    // What an import or export did, for the status bar.
    void statusMessage(const QString& text);

private:
    void exportCSV();
    void importCSV();
    void exportHTML();
    void exportICalendar();
    void importICalendar();
    void showHTMLFile(const QString& fileName);

    // The file dialogs, in the folder of the last exchange; an empty text when cancelled.
    QString saveFileName(const QString& title, const QString& filter, const QString& suffix);
    QString openFileName(const QString& title, const QString& filter, const QString& suffix);
    QString startFolder() const;
    void rememberFolder(const QString& path);
    // False, after telling the user, while job still runs.
    bool refusedWhileRunning(const ExchangeJob* job, const QAction* action);
    // The end of an export: the count and the file in the status bar, or what went wrong.
    bool exportDone(const QString& path, qint64 count, const IoResult& result);

    ListDocument* m_document;
    const QAbstractItemModel* m_captions;
    QWidget* m_window;
    QAction* m_exportCsvAction = nullptr;
    QAction* m_importCsvAction = nullptr;
    QAction* m_htmlAction = nullptr;
    QAction* m_icalendarAction = nullptr;
    QAction* m_importICalendarAction = nullptr;
    ExchangeJob* m_csvExport = nullptr;
    ExchangeJob* m_csvImport = nullptr;
    ExchangeJob* m_htmlExport = nullptr;
    ExchangeJob* m_icalendarExport = nullptr;
};
