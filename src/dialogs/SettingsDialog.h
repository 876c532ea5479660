#pragma once

#include "config/SettingsValues.h"
#include "dialogs/SettingsControls.h"

#include <QDialog>
#include <QString>

#include <memory>

class DesktopIntegration;
class SyncService;

// The settings dialog: colours and texts of the twelve style items (for the list and the HTML export),
// start at login, the file association, grid lines, pre-alarm minutes, font, begin date for new items,
// language, the data folder's code page and alarm sound; on a second page the sync (SyncSettingsPage). It
// reads every value when it is first shown and writes them all, in one replacement of the settings file, only
// on "Save and Close"; Cancel writes nothing. Start at login is set on "Save and Close"; the file association
// changes at once when its box is clicked, and a failure is shown and the box turned back.
class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    // integration may be null: the start-at-login and association boxes are then disabled.
    explicit SettingsDialog(std::shared_ptr<DesktopIntegration> integration, QWidget* parent = nullptr);
    ~SettingsDialog() override;

    // ---- Properties ----
    // A path naming nothing stores the fallback "default.ini" instead.
    QString IniFileName() const { return m_iniFileName; }
    void setIniFileName(const QString& path);
    QString FormCaption() const { return m_formCaption; }
    void setFormCaption(const QString& caption);
    // The begin-date box as the user left it; the main window takes it after Cancel as well.
    bool UseInputDate() const;
    // What the sync page tests connections with and keeps the password through; without one the page
    // can only be filled in.
    void setSyncService(SyncService* service);

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ---- Handlers ----
    // Fills the dialog; runs once, when it is first shown.
    void FormActivate();
    void listClick(int row);
    void BtnSaveCloseClick();
    void BtnSoundFileClick();
    void CbxRegisterExtensionClick(bool checked);
    // True when the key is swallowed: only digits reach the text size.
    bool EdtSzeKeyPress(const QString& text);

    // Makes the controls and wires them to the handlers.
    void createControls();
    void readSettings();
    void showStyleItem(int position);
    // Stores the controls into the shown style item; false (after telling the user) for a text size that
    // is no whole number.
    bool storeShownItem();
    void setHintText(const QString& longHint);

    // ---- Controls ----
    SettingsControls m_ui;

    // ---- State ----
    // Whether the program started at login when the dialog was filled.
    bool m_autoStartAtOpen = false;
    std::shared_ptr<DesktopIntegration> m_integration;
    SettingsValues m_values;
    QString m_iniFileName;
    QString m_formCaption;
    QString m_soundFile;
    // The style item shown in the controls, -1 for none.
    int m_shown = -1;
    // Whether the user picked a cell for the shown item: only then does its stored colour change.
    bool m_colorPicked = false;
    // Whether the list file extensions are registered to this program, as far as this dialog knows.
    bool m_registered = false;
    bool m_activated = false;
};
