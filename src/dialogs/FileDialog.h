#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The program's open and save file dialogs. A Picker shows them: the program's own shows QFileDialog;
// tests put in one that hands out queued names and keeps what it was asked.
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

    class Picker
    {
    public:
        virtual ~Picker() = default;
        // The chosen path, or an empty text when the user cancelled.
        virtual QString pick(QWidget* parent, const Request& request) = 0;
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

    // Not owned; nullptr puts the program's own back.
    static void setPicker(Picker* picker);

private:
    static QString run(QWidget* parent, const Request& request);
};
