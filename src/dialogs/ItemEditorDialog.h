#pragma once

#include "dialogs/ItemEditorControls.h"
#include "model/ToDoItem.h"

#include <QByteArrayList>
#include <QColor>
#include <QDialog>
#include <QString>

#include <array>

class NameComboBox;
class QCheckBox;
class QDateEdit;
class QGridLayout;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTimeEdit;
class QToolButton;

// The item editor: one to-do item is entered or changed here. The caller hands it the item and the owner
// and project names, runs it modally and, on OK, takes the item back; the names come back after OK and
// Cancel alike (additions and deletions there count even when the item is not changed). The dialog never
// touches the list itself.
//
// A text the user did not change comes back exactly as it went in (the same bytes); dates go in and out in
// the regional short date format, the alarm time in the long time format.
class ItemEditorDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ItemEditorDialog(QWidget* parent = nullptr);
    ~ItemEditorDialog() override;

    // ---- Properties ----
    // A path naming no existing file stores the fallback "default.ini" instead.
    QString IniFileName() const { return m_iniFileName; }
    void setIniFileName(const QString& path);
    QString FormCaption() const { return m_formCaption; }
    void setFormCaption(const QString& caption);
    QColor Memocolor() const { return m_memoColor; }
    void setMemocolor(const QColor& color);
    QString MemoFontnAME() const { return m_memoFontName; }
    void setMemoFontnAME(const QString& name);

    // The item to edit; a new item is one with an empty Action, optionally with its Date In and Target.
    void setItem(const ToDoItem& item);
    // After OK: the item as the user left it. The Target is empty when the item has no target date, the
    // Alarm Time empty when it has no alarm; a File Location that names no file keeps the stored one.
    ToDoItem item() const { return m_result; }
    // The session ends while the editor is open: takes what it shows as OK would, without any question
    // (a text the code page cannot hold is kept as near as it can be), so that the caller can keep it.
    // False when there is nothing to keep: no Action was written.
    bool takeForSessionEnd();
    void setNames(const QByteArrayList& owners, const QByteArrayList& projects);
    QByteArrayList ownerNames() const;
    QByteArrayList projectNames() const;

    // Replaces the caption of group box index (0 to 5), as a language file does. The boxes whose caption
    // is a row of labels above their controls take it apart at runs of blanks.
    void setGroupCaption(int index, const QString& caption) { m_ui.setGroupCaption(index, caption); }
    QString groupCaption(int index) const { return m_ui.groupCaption(index); }

    // Escape, Cancel and the close button: when the user typed something, asks before it is thrown away.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ---- Handlers ----
    // Fills the controls from the item; runs once, when the dialog is first shown.
    void FormActivate();
    void OKButtClick();
    void ClearAllButClick();
    // True when the key is swallowed: printable characters other than digits never reach the priority.
    bool priorityKeyPress(QKeyEvent* event);
    void CbxUseDateClick();
    void CbxAlarmClick();
    void DatePickClick();
    void browseForDocument();
    void updateTargetControls();
    void updateDateInControl();

    // Makes the controls and wires them to the handlers.
    void createControls();
    void applyMemoLook();
    // Shows the message for texts the list file's code page cannot hold; true when all fit.
    bool checkEncodable(const QStringList& texts);
    // The File Location to keep: a typed path naming no file leaves the stored one as it was.
    QString chosenLocation() const;
    // The item as the controls show it.
    ToDoItem itemFromControls() const;
    // Whether the controls show anything else than the item they were filled from.
    bool changedByUser() const;

    // ---- Controls ----
    ItemEditorControls m_ui;

    // ---- State ----
    ToDoItem m_item;
    ToDoItem m_result;
    QByteArrayList m_ownerNames;
    QByteArrayList m_projectNames;
    QString m_iniFileName;
    QString m_formCaption;
    QColor m_memoColor;
    QString m_memoFontName;
    bool m_activated = false;
    // Whether the user changed a picker since the fill; an untouched picker returns the text it was given.
    bool m_dateInTouched = false;
    bool m_targetTouched = false;
    bool m_timeTouched = false;
};
