#pragma once

#include <QList>
#include <QString>

#include <array>

class NameComboBox;
class QCheckBox;
class QDateEdit;
class QDialog;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTimeEdit;
class QToolButton;

// The item editor's controls in their six group boxes: made, named and laid out here, with their hints and
// the boxes' captions. What they do is the dialog's (ItemEditorDialog), which wires them to its handlers.
class ItemEditorControls
{
public:
    // Makes every control as a child of dialog, in its layout.
    void create(QDialog* dialog);
    // The six captions of the design.
    void applyDesignCaptions();
    // Replaces the caption of group box index (0 to 5), as a language file does. The boxes whose caption
    // is a row of labels above their controls take it apart at runs of blanks.
    void setGroupCaption(int index, const QString& caption);
    QString groupCaption(int index) const { return m_groupCaptions[static_cast<size_t>(index)]; }

    std::array<QGroupBox*, 6> groupBoxes{};
    QPlainTextEdit* actionEdit = nullptr;
    QPlainTextEdit* remarksEdit = nullptr;
    QLineEdit* priorityEdit = nullptr;
    QSpinBox* prioritySpin = nullptr;
    QCheckBox* completedBox = nullptr;
    QCheckBox* useDateInBox = nullptr;
    QDateEdit* dateInEdit = nullptr;
    QCheckBox* alarmBox = nullptr;
    QTimeEdit* alarmTimeEdit = nullptr;
    QCheckBox* targetBox = nullptr;
    QDateEdit* targetEdit = nullptr;
    QLineEdit* locationEdit = nullptr;
    QToolButton* browseButton = nullptr;
    NameComboBox* ownerCombo = nullptr;
    NameComboBox* projectCombo = nullptr;
    QPushButton* clearButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* okButton = nullptr;

private:
    QGridLayout* createLabelRow(QGroupBox* box, int index);

    std::array<QString, 6> m_groupCaptions;
    std::array<QList<QLabel*>, 6> m_captionLabels;
};
