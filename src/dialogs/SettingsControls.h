#pragma once

class FontNameComboBox;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class SyncSettingsPage;
class TColorGrid;

// The settings dialog's controls: made, named and laid out here, with the texts they show. What they do
// is the dialog's (SettingsDialog), which wires them to its handlers.
class SettingsControls
{
public:
    // Makes every control as a child of dialog, in its layout.
    void create(QDialog* dialog);
    // The texts of the design, which a language file replaces.
    void applyDesignTexts();
    // The language routine: every "Settings" and "Hints_Settings" text of the language in effect goes
    // onto its control.
    void applyLanguageTexts();
    // The page tabs and the sync page, which follow the language in effect always.
    void applyPageTexts();

    QGroupBox* colorBox = nullptr;
    QListWidget* styleList = nullptr;
    TColorGrid* colorGrid = nullptr;
    QGroupBox* htmlBox = nullptr;
    QGroupBox* textBox = nullptr;
    QLineEdit* textEdit = nullptr;
    QGroupBox* sizeBox = nullptr;
    QLineEdit* sizeEdit = nullptr;
    QSpinBox* sizeArrows = nullptr;
    QGroupBox* positionGroup = nullptr;
    QButtonGroup* positions = nullptr;
    QGroupBox* generalBox = nullptr;
    QCheckBox* autoStartBox = nullptr;
    QCheckBox* registerExtensionBox = nullptr;
    QCheckBox* gridLinesBox = nullptr;
    QLabel* preAlarmLabel = nullptr;
    QSpinBox* preAlarmSpin = nullptr;
    QLabel* fontSizeLabel = nullptr;
    QSpinBox* fontSizeSpin = nullptr;
    QCheckBox* useBeginDateBox = nullptr;
    QLabel* fontLabel = nullptr;
    FontNameComboBox* fontCombo = nullptr;
    QLabel* languageLabel = nullptr;
    QComboBox* languageCombo = nullptr;
    QLabel* codePageLabel = nullptr;
    QComboBox* codePageCombo = nullptr;
    QGroupBox* alarmBox = nullptr;
    QLabel* soundLabel = nullptr;
    QToolButton* soundFileButton = nullptr;
    QLabel* soundLocationLabel = nullptr;
    QPushButton* saveCloseButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QPlainTextEdit* hintWindow = nullptr;
    QTabWidget* pages = nullptr;
    SyncSettingsPage* syncPage = nullptr;
};
