#pragma once

#include <QList>
#include <QObject>
#include <QString>

class ListDocument;
class QAbstractItemModel;
class QAction;
class QWidget;

// The Im-Export commands that write or read other formats: CSV export and import, the HTML page, and
// iCalendar export and import. Each writes the whole list, also the rows the find bar leaves out.
class ExchangeActions : public QObject
{
    Q_OBJECT

public:
    // captions: the model whose header the HTML page takes its column captions from.
    ExchangeActions(ListDocument* document, const QAbstractItemModel* captions, QWidget* window);

    // In the Im-Export menu's order.
    QList<QAction*> actions() const;
    // An import needs a list that has a place to be saved.
    void setImportEnabled(bool enabled);
    void retranslate();

Q_SIGNALS:
    // What an import did, for the status bar.
    void imported(const QString& summary);

private:
    void exportCSV();
    void importCSV();
    void exportHTML();
    void exportICalendar();
    void importICalendar();
    void showHTMLFile(const QString& fileName);

    ListDocument* m_document;
    const QAbstractItemModel* m_captions;
    QWidget* m_window;
    QAction* m_exportCsvAction = nullptr;
    QAction* m_importCsvAction = nullptr;
    QAction* m_htmlAction = nullptr;
    QAction* m_icalendarAction = nullptr;
    QAction* m_importICalendarAction = nullptr;
};
