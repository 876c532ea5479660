#include "dialogs/SettingsControls.h"

#include "config/LanguageTexts.h"
#include "dialogs/FontNameComboBox.h"
#include "dialogs/SyncSettingsPage.h"
#include "dialogs/TColorGrid.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>

namespace {
const char* const kSettings = "Settings";
const char* const kHints = "Hints_Settings";

// Hints are "short|long"; the short part is the tool tip, the long one goes to the hint window. Built-in
// line breaks are LF CR.
void setHint(QWidget* w, QString hint)
{
    hint.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    hint.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    hint.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    w->setToolTip(bar < 0 ? hint : hint.left(bar));
    w->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

QString builtInText(const char* section, const char* key)
{
    for (const LanguageTexts::Entry& e : LanguageTexts::table()) {
        if (e.window == LanguageTexts::Window::Settings && qstrcmp(e.section, section) == 0 &&
            qstrcmp(e.key, key) == 0)
            return QString::fromUtf8(e.builtIn);
    }
    return {};
}
} // namespace

void SettingsControls::create(QDialog* dialog)
{
    auto named = [](auto* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };

    // Colour settings: the style items and the grid.
    colorBox = named(new QGroupBox(dialog), "ColorSettingsBox");
    styleList = named(new QListWidget(colorBox), "StyleList");
    styleList->setMinimumWidth(150);
    colorGrid = named(new TColorGrid(colorBox), "ColGrid");
    colorGrid->setGridOrdering(TColorGrid::Ordering::go8x2);
    colorGrid->setBackgroundEnabled(false);
    auto* colorLayout = new QVBoxLayout(colorBox);
    colorLayout->addWidget(styleList, 1);
    colorLayout->addWidget(colorGrid, 0, Qt::AlignHCenter);

    // HTML file settings: header or footer text, text size, position.
    htmlBox = named(new QGroupBox(dialog), "HtmlSettingsBox");
    textBox = named(new QGroupBox(htmlBox), "HtmlTextBox");
    textEdit = named(new QLineEdit(textBox), "EdtText");
    (new QVBoxLayout(textBox))->addWidget(textEdit);
    sizeBox = named(new QGroupBox(htmlBox), "TextSizeBox");
    sizeEdit = named(new QLineEdit(QStringLiteral("0"), sizeBox), "EdtSze");
    sizeEdit->setMaximumWidth(60);
    // Only the arrows show; they set sizes from -4 to 4, negative ones included, into sizeEdit.
    sizeArrows = named(new QSpinBox(sizeBox), "SzeUpDown");
    sizeArrows->setRange(-4, 4);
    sizeArrows->setFixedWidth(20);
    sizeArrows->setFocusPolicy(Qt::NoFocus);
    auto* sizeLayout = new QHBoxLayout(sizeBox);
    sizeLayout->setSpacing(0);
    sizeLayout->addWidget(sizeEdit);
    sizeLayout->addWidget(sizeArrows);
    sizeLayout->addStretch(1);
    positionGroup = named(new QGroupBox(htmlBox), "PosRGroup");
    positions = new QButtonGroup(dialog);
    auto* posLayout = new QHBoxLayout(positionGroup);
    const std::array<const char*, 3> positionNames = {"PosLeft", "PosCenter", "PosRight"};
    for (int i = 0; i < 3; ++i) {
        auto* b = named(new QRadioButton(positionGroup), positionNames[static_cast<size_t>(i)]);
        positions->addButton(b, i);
        posLayout->addWidget(b);
    }
    auto* htmlLayout = new QGridLayout(htmlBox);
    htmlLayout->addWidget(textBox, 0, 0, 1, 2);
    htmlLayout->addWidget(sizeBox, 1, 0);
    htmlLayout->addWidget(positionGroup, 1, 1);
    htmlLayout->setColumnStretch(1, 1);

    // General settings.
    generalBox = named(new QGroupBox(dialog), "GeneralBox");
    autoStartBox = named(new QCheckBox(generalBox), "CbxAutoStart");
    registerExtensionBox = named(new QCheckBox(generalBox), "CbxRegisterExtension");
    gridLinesBox = named(new QCheckBox(generalBox), "CbxGridLines");
    useBeginDateBox = named(new QCheckBox(generalBox), "cbxUseBeginDate");
    preAlarmLabel = named(new QLabel(generalBox), "LblPreAlarm");
    preAlarmSpin = named(new QSpinBox(generalBox), "EdtPreAlarm");
    preAlarmSpin->setRange(0, 60);
    fontSizeLabel = named(new QLabel(generalBox), "LblFontSize");
    fontSizeSpin = named(new QSpinBox(generalBox), "EdtFontSize");
    fontSizeSpin->setRange(6, 14);
    fontSizeSpin->setValue(11);
    fontLabel = named(new QLabel(generalBox), "LblFont");
    fontCombo = named(new FontNameComboBox(generalBox), "FontCombo");
    languageLabel = named(new QLabel(generalBox), "LblLanguage");
    languageCombo = named(new QComboBox(generalBox), "cboLanguage");
    codePageLabel = named(new QLabel(generalBox), "LblCodePage");
    codePageCombo = named(new QComboBox(generalBox), "cboCodePage");
    codePageLabel->setBuddy(codePageCombo);
    preAlarmLabel->setBuddy(preAlarmSpin);
    fontSizeLabel->setBuddy(fontSizeSpin);
    fontLabel->setBuddy(fontCombo);
    languageLabel->setBuddy(languageCombo);
    auto* general = new QGridLayout(generalBox);
    general->addWidget(autoStartBox, 0, 0);
    general->addWidget(preAlarmSpin, 0, 1);
    general->addWidget(preAlarmLabel, 0, 2);
    general->addWidget(registerExtensionBox, 1, 0);
    general->addWidget(fontSizeSpin, 1, 1);
    general->addWidget(fontSizeLabel, 1, 2);
    general->addWidget(gridLinesBox, 2, 0);
    general->addWidget(useBeginDateBox, 2, 1, 1, 2);
    general->addWidget(fontLabel, 3, 0);
    general->addWidget(fontCombo, 3, 1, 1, 2);
    general->addWidget(languageLabel, 4, 0);
    general->addWidget(languageCombo, 4, 1, 1, 2);
    general->addWidget(codePageLabel, 5, 0);
    general->addWidget(codePageCombo, 5, 1, 1, 2);
    general->setColumnStretch(2, 1);

    // Alarm sound.
    alarmBox = named(new QGroupBox(dialog), "AlarmBox");
    soundLabel = named(new QLabel(alarmBox), "LblSound");
    soundFileButton = named(new QToolButton(alarmBox), "BtnSoundFile");
    soundFileButton->setText(QStringLiteral("..."));
    soundLocationLabel = named(new QLabel(alarmBox), "LblSoundLocation");
    soundLocationLabel->setWordWrap(true);
    soundLocationLabel->setMinimumHeight(2 * dialog->fontMetrics().height());
    soundLocationLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* alarm = new QGridLayout(alarmBox);
    alarm->addWidget(soundLabel, 0, 0);
    alarm->addWidget(soundFileButton, 0, 1, Qt::AlignRight);
    alarm->addWidget(soundLocationLabel, 1, 0, 1, 2);

    hintWindow = named(new QPlainTextEdit(dialog), "HintWindow");
    hintWindow->setReadOnly(true);
    hintWindow->setFocusPolicy(Qt::NoFocus);
    hintWindow->setMinimumHeight(4 * dialog->fontMetrics().height());

    saveCloseButton = named(new QPushButton(dialog), "BtnSaveClose");
    cancelButton = named(new QPushButton(dialog), "BtnCancel");
    // Enter in a field must not close the dialog: the buttons act on a click or Space only.
    for (QPushButton* b : {saveCloseButton, cancelButton})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(saveCloseButton);
    buttons->addWidget(cancelButton);

    // Two pages: everything above, and the sync; the buttons under both.
    pages = named(new QTabWidget(dialog), "SettingsPages");
    auto* generalPage = new QWidget;
    auto* left = new QVBoxLayout;
    left->addWidget(colorBox, 1);
    left->addWidget(htmlBox);
    auto* right = new QVBoxLayout;
    right->addWidget(generalBox);
    right->addWidget(alarmBox);
    right->addWidget(hintWindow, 1);
    auto* columns = new QHBoxLayout(generalPage);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    syncPage = new SyncSettingsPage;
    pages->addTab(generalPage, QString());
    pages->addTab(syncPage, QString());
    auto* top = new QVBoxLayout(dialog);
    top->addWidget(pages, 1);
    top->addLayout(buttons);
}

void SettingsControls::applyDesignTexts()
{
    colorBox->setTitle(QStringLiteral("Color settings for table and HTML converter"));
    htmlBox->setTitle(QStringLiteral("HTML file settings"));
    textBox->setTitle(QStringLiteral("HTML File header or footer"));
    sizeBox->setTitle(QStringLiteral("Text Size"));
    positionGroup->setTitle(QStringLiteral("HTML Text Position"));
    const std::array<const char*, 3> captions = {"Left", "Center", "Right"};
    for (int i = 0; i < 3; ++i)
        positions->button(i)->setText(QLatin1String(captions[static_cast<size_t>(i)]));
    generalBox->setTitle(QStringLiteral("General Settings"));
    autoStartBox->setText(QStringLiteral("Start at login"));
    registerExtensionBox->setText(QStringLiteral("Open list files"));
    preAlarmLabel->setText(QStringLiteral("\"Alarm pre time\""));
    gridLinesBox->setText(QStringLiteral("Show Gridlines"));
    fontSizeLabel->setText(QStringLiteral("Font size"));
    useBeginDateBox->setText(QStringLiteral("Use begin date for new tasks"));
    fontLabel->setText(builtInText(kSettings, "Label0"));
    languageLabel->setText(builtInText(kSettings, "Label1"));
    codePageLabel->setText(builtInText(kSettings, "Label2"));
    alarmBox->setTitle(QStringLiteral("Alarm"));
    soundLabel->setText(builtInText(kSettings, "Label3"));
    soundFileButton->setToolTip(builtInText(kSettings, "Label4"));
    saveCloseButton->setText(QStringLiteral("Save and Close"));
    cancelButton->setText(QStringLiteral("Cancel"));
    hintWindow->setPlainText(builtInText(kSettings, "Label5"));

    // The controls' own hints are the built-in texts; the two buttons have hints of their own.
    const auto builtIn = [](const char* key) { return builtInText(kHints, key); };
    setHint(styleList, builtIn("Hint1"));
    setHint(colorGrid, builtIn("Hint2"));
    for (QWidget* w : std::initializer_list<QWidget*>{htmlBox, textBox, sizeBox, textEdit, sizeEdit})
        setHint(w, builtIn("Hint3"));
    setHint(autoStartBox, builtIn("Hint4"));
    setHint(registerExtensionBox, builtIn("Hint5"));
    setHint(gridLinesBox, builtIn("Hint6"));
    for (QWidget* w : std::initializer_list<QWidget*>{preAlarmLabel, preAlarmSpin})
        setHint(w, builtIn("Hint7"));
    for (QWidget* w : std::initializer_list<QWidget*>{fontSizeSpin, fontCombo, fontSizeLabel, generalBox})
        setHint(w, builtIn("Hint8"));
    setHint(saveCloseButton, QStringLiteral("Close and apply settings"));
    setHint(cancelButton, QStringLiteral("Close, don't apply settings"));
    setHint(languageCombo, builtIn("Hint11"));
    setHint(codePageCombo, builtIn("Hint12"));
    applyPageTexts();
}

void SettingsControls::applyPageTexts()
{
    const LanguageTexts& texts = LanguageTexts::shared();
    pages->setTabText(0, texts.text("SyncPage", "Page0"));
    pages->setTabText(1, texts.text("SyncPage", "Page1"));
    syncPage->retranslate();
}

void SettingsControls::applyLanguageTexts()
{
    const LanguageTexts& texts = LanguageTexts::shared();
    const auto caption = [&texts](const char* key) { return texts.text(kSettings, key); };
    colorBox->setTitle(caption("Frame0"));
    htmlBox->setTitle(caption("Frame1"));
    textBox->setTitle(caption("Frame2"));
    sizeBox->setTitle(caption("Frame3"));
    positionGroup->setTitle(caption("Frame4"));
    generalBox->setTitle(caption("Frame5"));
    const std::array<const char*, 3> radios = {"Radio0", "Radio1", "Radio2"};
    for (int i = 0; i < 3; ++i)
        positions->button(i)->setText(caption(radios[static_cast<size_t>(i)]));
    autoStartBox->setText(caption("General0"));
    registerExtensionBox->setText(caption("General1"));
    gridLinesBox->setText(caption("General2"));
    preAlarmLabel->setText(caption("General3"));
    fontSizeLabel->setText(caption("General4"));
    useBeginDateBox->setText(caption("General5"));
    // Replaced by the stored sound path when the settings are read.
    soundLocationLabel->setText(caption("General6"));
    saveCloseButton->setText(caption("Button0"));
    cancelButton->setText(caption("Button1"));
    for (int i = 0; i < styleList->count(); ++i)
        styleList->item(i)->setText(caption(qPrintable(QStringLiteral("Style%1").arg(i))));
    fontLabel->setText(caption("Label0"));
    languageLabel->setText(caption("Label1"));
    codePageLabel->setText(caption("Label2"));
    soundLabel->setText(caption("Label3"));
    soundFileButton->setToolTip(caption("Label4"));
    hintWindow->setPlainText(caption("Label5"));
    // The first language entry stands for no language file: its name is a word of the language in effect.
    if (const int none = languageCombo->findData(QStringLiteral("None")); none >= 0)
        languageCombo->setItemText(none, caption("Label6"));

    const auto hint = [&texts](const char* key) { return texts.text(kHints, key); };
    setHint(styleList, hint("Hint1"));
    setHint(colorGrid, hint("Hint2"));
    for (QWidget* w : std::initializer_list<QWidget*>{htmlBox, textBox, sizeBox, textEdit, sizeEdit})
        setHint(w, hint("Hint3"));
    setHint(autoStartBox, hint("Hint4"));
    setHint(registerExtensionBox, hint("Hint5"));
    setHint(gridLinesBox, hint("Hint6"));
    for (QWidget* w : std::initializer_list<QWidget*>{preAlarmLabel, preAlarmSpin})
        setHint(w, hint("Hint7"));
    for (QWidget* w : std::initializer_list<QWidget*>{fontSizeSpin, fontCombo, fontSizeLabel, generalBox})
        setHint(w, hint("Hint8"));
    setHint(saveCloseButton, hint("Hint9"));
    setHint(cancelButton, hint("Hint10"));
    setHint(languageCombo, hint("Hint11"));
    setHint(codePageCombo, hint("Hint12"));
    applyPageTexts();
}
