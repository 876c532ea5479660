#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The program's open and save file dialogs. Tests queue the names the user "picks" with
// setNextFileName(); an empty queued name stands for a cancelled dialog. What the last dialog was asked
// to show is kept for tests as well.
class FileDialog
{
public:
    struct Request
    {
        QString title;
        QString folder;
        QString filter; // Qt form: "Ext. Todo files (*.tdx)"
        QString defaultSuffix;
        bool save = false;
        bool confirmOverwrite = true;
        bool picturePreview = false; // shows the picture under the cursor beside the file list
    };

    // Both return the chosen path, or an empty text when the user cancelled.
    static QString getOpenFileName(QWidget* parent, const QString& title, const QString& folder,
                                   const QString& filter, const QString& defaultSuffix = QString());
    static QString getSaveFileName(QWidget* parent, const QString& title, const QString& folder,
                                   const QString& filter, const QString& defaultSuffix = QString(),
                                   bool confirmOverwrite = true);
    // An open dialog for a picture, with a preview of the file under the cursor.
    static QString getPictureFileName(QWidget* parent, const QString& title, const QString& folder,
                                      const QString& filter);

    // Test hooks. With test mode on, a dialog without a queued name counts as cancelled.
    static void setNextFileName(const QString& path);
    static void setTestMode(bool on);
    static Request lastRequest();
    static int requestCount();

private:
    static QString run(QWidget* parent, const Request& request);
};
