// The main window's settings side: the settings dialog, the language routine and the tool bar picture.
#include "app/TQuillmar.h"

#include "app/FilterBar.h"
#include "app/ItemStyleModel.h"
#include "app/PictureToolBar.h"
#include "config/LanguageTexts.h"
#include "config/Paths.h"
#include "config/Settings.h"
#include "dialogs/FileDialog.h"
#include "dialogs/MessageBox.h"
#include "dialogs/SettingsDialog.h"
#include "platform/DesktopIntegration.h"

#include <QAction>
#include <QCoreApplication>
#include <QImageReader>
#include <QMenu>
#include <QTabWidget>
#include <QTreeView>

void TQuillmar::setDesktopIntegration(std::shared_ptr<DesktopIntegration> integration)
{
    m_desktopIntegration = std::move(integration);
}

void TQuillmar::SettingsMnuClick()
{
    if (!m_desktopIntegration)
        m_desktopIntegration = DesktopIntegration::forProgram(QCoreApplication::applicationFilePath());
    {
        SettingsDialog dlg(m_desktopIntegration, this);
        dlg.setIniFileName(SettingsFilePath());
        dlg.setFormCaption(LanguageTexts::shared().text("Settings", "Caption"));
        dlg.exec();
        // The begin-date box counts for this run even when the dialog was cancelled; everything else
        // comes from the file.
        UseBeginDate = dlg.UseInputDate();
    }
    LoadMainSettings();
    ApplyLanguageTexts();
    lstToDo->viewport()->update();
    LoadDateFormat();
}

void TQuillmar::ApplyLanguageTexts()
{
    LanguageTexts& texts = LanguageTexts::shared();
    if (!texts.load(SettingsFilePath(), LanguageTexts::Window::Main))
        return;
    // Every text goes onto its place, replaced or not: a file with a single key still puts the built-in
    // texts on the others.
    auto t = [&texts](const char* section, const char* key) { return texts.text(section, key); };
    m_fileMenu->setTitle(t("MainMenu", "Item0"));
    m_toolsMenu->setTitle(t("MainMenu", "Item1"));
    m_helpMenu->setTitle(t("MainMenu", "Item2"));
    actInsAction->setText(t("Item1", "Item0"));
    actEdit->setText(t("Item1", "Item1"));
    ActDeleteItem->setText(t("Item1", "Item2"));
    actDeleteToHistory->setText(t("Item1", "Item3"));
    actSettings->setText(t("Item1", "Item4"));
    actOpen->setText(t("Item1", "Item5"));
    actToolbarImage->setText(t("Item1", "Item6"));
    actSortChecked->setText(t("Item1", "Item7"));
    actHelp->setText(t("Item2", "Item0"));
    actAbout->setText(t("Item2", "Item1"));
    for (int column = 0; column < ToDoListModel::ColumnCount; ++column)
        m_styleModel->setColumnCaption(column, t("Header", qPrintable(QStringLiteral("Item%1").arg(column))));
    m_pages->setTabText(0, t("Tab", "Tab1"));
    m_pages->setTabText(1, t("Tab", "Tab2"));

    OpenStandardToDo->setText(t("FileMenu", "Item0"));
    actLoadHistory->setText(t("FileMenu", "Item1"));
    actSaveHistory->setText(t("FileMenu", "Item2"));
    m_imExportMenu->setTitle(t("FileMenu", "Item3"));
    actExit->setText(t("FileMenu", "Item4"));
    actNewExternal->setText(t("ImExport", "Item0"));
    actOpenExternal->setText(t("ImExport", "Item1"));
    actSaveExternal->setText(t("ImExport", "Item2"));
    actExportCSV->setText(t("ImExport", "Item3"));
    actImportCSV->setText(t("ImExport", "Item4"));
    actMakeHTML->setText(t("ImExport", "Item5"));
    actExportICalendar->setText(t("ImExport", "Item6"));
    m_editMenu->setTitle(t("EditMenu", "Item0"));
    actFind->setText(t("EditMenu", "Item3"));
    actRemoveToolbarImage->setText(t("Item1", "Item8"));
    m_filterBar->retranslate();
    updateShownCount();
    updateUndoCommands();
    actRestore->setText(t("TrayMenu", "Item0"));
    actTrayExit->setText(t("TrayMenu", "Item1"));
}

bool TQuillmar::applyToolbarPicture(const QString& path, bool reportErrors)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        if (reportErrors)
            MessageBox::information(
                this, QStringLiteral("Cannot open file %1: %2").arg(path, reader.errorString()));
        return false;
    }
    m_toolBar->setPicture(QPixmap::fromImage(image));
    actRemoveToolbarImage->setEnabled(true);
    return true;
}

void TQuillmar::chooseToolbarImage()
{
    const QString path = FileDialog::getPictureFileName(
        this, QStringLiteral("Toolbar Image"), QString(),
        QStringLiteral("Bitmaps (*.bmp);;All pictures (*.bmp *.png *.jpg *.jpeg *.gif *.svg)"));
    // A file that is no picture is refused and not remembered.
    if (path.isEmpty() || !applyToolbarPicture(path, true))
        return;
    const IoResult r =
        WriteIniString(SettingsFilePath(), QStringLiteral("Bitmap"), QStringLiteral("Name"), path);
    if (!r)
        MessageBox::information(this, r.error);
}

void TQuillmar::removeToolbarImage()
{
    // Remembered first: a picture that went only from the screen would come back at the next start.
    const IoResult r =
        WriteIniString(SettingsFilePath(), QStringLiteral("Bitmap"), QStringLiteral("Name"), QString());
    if (!r) {
        MessageBox::information(this, r.error);
        return;
    }
    m_toolBar->clearPicture();
    actRemoveToolbarImage->setEnabled(false);
}
