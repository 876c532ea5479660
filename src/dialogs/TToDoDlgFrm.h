#pragma once

#include <QByteArrayList>
#include <QColor>
#include <QDialog>
#include <QString>

#include <array>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGridLayout;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTimeEdit;
class QToolButton;

// The item editor: one to-do item is entered or changed here. The caller fills the properties, runs the
// dialog modally and, on OK, copies the properties back. The dialog never touches the list itself; it
// only edits the owner and project name lists it is given, and writes them back when it is destroyed
// (so additions and deletions there count even when the dialog is cancelled).
//
// Texts cross the dialog as QString; dates in the regional short date format, the alarm time in the long
// time format. A text the user did not change comes back exactly as it went in.
class TToDoDlgFrm : public QDialog
{
    Q_OBJECT

public:
    // The name lists may be null (no lists to offer or keep).
    explicit TToDoDlgFrm(QByteArrayList* ownerNames, QByteArrayList* projectNames, QWidget* parent = nullptr);
    ~TToDoDlgFrm() override;

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

    QString A_Action;
    QString A_Priority;
    QString A_TDate;
    QString A_Date;
    QString A_Remarks;
    QString A_Owner;
    QString A_Project;
    QString A_Time;
    QString A_Location;
    bool A_Status = false;
    // Read after OK: the item has a Target date; the item has an alarm.
    bool A_UseTDate = false;
    bool A_UseTime = false;

    // Empties every value property (texts and the completed flag).
    void clearValues();

    // Replaces the caption of group box index (0 to 5), as a language file does. The boxes whose caption
    // is a row of labels above their controls take it apart at runs of blanks.
    void setGroupCaption(int index, const QString& caption);
    QString groupCaption(int index) const { return m_groupCaptions[static_cast<size_t>(index)]; }

    // ---- Controls ----
    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QGroupBox* GroupBox5 = nullptr;
    QGroupBox* GroupBox6 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QSpinBox* UpDown1 = nullptr;
    QCheckBox* CbxStatus = nullptr;
    QCheckBox* CbxUseDate = nullptr;
    QDateEdit* PickDateIn = nullptr;
    QCheckBox* CbxAlarm = nullptr;
    QTimeEdit* TimePick = nullptr;
    QCheckBox* CbxEndDate = nullptr;
    QDateEdit* DatePick = nullptr;
    QLineEdit* EdtLocation = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QComboBox* OwnerCombo = nullptr;
    QComboBox* ProjectCombo = nullptr;
    QPushButton* ClearAllBut = nullptr;
    QPushButton* CancelBut = nullptr;
    QPushButton* OKButt = nullptr;
    QMenu* ComboPop = nullptr;
    QMenu* ProjectPop = nullptr;

    // ---- Handlers ----
    // Fills the controls from the properties; runs once, when the dialog is first shown.
    void FormActivate();
    void OKButtClick();
    void CancelButClick();
    void ClearAllButClick();
    // True when the key is swallowed: only digits and backspace reach the priority field.
    bool Edit2KeyPress(QKeyEvent* event);
    // Enter in a name box adds its text to the box's entries; true when the key was taken.
    bool OwnerComboKeyDown(QComboBox* box, QKeyEvent* event);
    void CbxUseDateClick();
    void CbxAlarmClick();
    void DatePickClick();
    void TimePickChange();
    void SpeedButton1Click();
    void Action1Execute();
    void Action2Execute();
    // Name list commands of both pop-up menus.
    void addNameText(QComboBox* box);
    void deleteNameItem(QComboBox* box);
    void clearNameItems(QComboBox* box);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    QGridLayout* createLabelRow(QGroupBox* box, int index);
    void setupNameBox(QComboBox* box, QMenu* menu);
    void fillNames(QComboBox* box, const QByteArrayList* names, const QString& current);
    void writeBackNames(QComboBox* box, QByteArrayList* names) const;
    void applyMemoLook();
    // Shows the message for texts the list file's code page cannot hold; true when all fit.
    bool checkEncodable(const QStringList& texts);

    QByteArrayList* m_ownerNames;
    QByteArrayList* m_projectNames;
    QString m_iniFileName;
    QString m_formCaption;
    QColor m_memoColor;
    QString m_memoFontName;
    std::array<QString, 6> m_groupCaptions;
    std::array<QList<QLabel*>, 6> m_captionLabels;
    bool m_activated = false;
    // Whether the user changed a picker since the fill; an untouched picker returns the text it was given.
    bool m_dateInTouched = false;
    bool m_targetTouched = false;
    bool m_timeTouched = false;
};
