#include "dialogs/SettingsDialog.h"

#include "config/IniFile.h"
#include "config/IoMessage.h"
#include "config/LanguageTexts.h"
#include "config/Paths.h"
#include "config/Settings.h"
#include "config/SyncSettings.h"
#include "dialogs/FileDialog.h"
#include "dialogs/FontNameComboBox.h"
#include "dialogs/MessageBox.h"
#include "dialogs/SyncSettingsPage.h"
#include "dialogs/TColorGrid.h"
#include "platform/DesktopIntegration.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>

namespace {
const char* const kSettings = "Settings";
const char* const kHints = "Hints_Settings";
// The entry name of the start at login, as the program has always called it.
const QString kAutoStartName = QStringLiteral("org.quillmar.Quillmar");

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

std::optional<int> parseSize(const QString& text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

// The sizes a font family offers: its own for a bitmap font, the standard ones (6 to 72) for the rest.
std::pair<int, int> fontSizeRange(const QString& family)
{
    QList<int> sizes = QFontDatabase::pointSizes(family);
    if (sizes.isEmpty())
        sizes = QFontDatabase::standardSizes();
    return {sizes.constFirst(), sizes.constLast()};
}

// Keeps a stored value that lies outside the arrows' designed range instead of cutting it off.
void setWidened(QSpinBox* box, int low, int high, int value)
{
    box->setRange(std::min(low, value), std::max(high, value));
    box->setValue(value);
}

QString failureText(const QString& what, const IoResult& r)
{
    return what + QStringLiteral("\n\n") + IoMessage(r);
}
} // namespace

SettingsDialog::SettingsDialog(std::shared_ptr<DesktopIntegration> integration, QWidget* parent)
    : QDialog(parent), m_integration(std::move(integration))
{
    setObjectName(QStringLiteral("ColorForm"));
    createControls();
    applyDesignTexts();
    for (const QString& section : StyleItem::sections())
        m_styleList->addItem(section);
    // The box starts as the association is; that agreement is why setting it registers nothing.
    if (m_integration)
        m_registered = m_integration->IsExtensionRegistered();
    m_registerExtensionBox->setChecked(m_registered);
    m_registerExtensionBox->setEnabled(m_integration != nullptr);
    m_autoStartBox->setEnabled(m_integration != nullptr);
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::createControls()
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    auto named = [](auto* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };

    // Colour settings: the style items and the grid.
    m_colorBox = named(new QGroupBox(this), "ColorSettingsBox");
    m_styleList = named(new QListWidget(m_colorBox), "StyleList");
    m_styleList->setMinimumWidth(150);
    m_colorGrid = named(new TColorGrid(m_colorBox), "ColGrid");
    m_colorGrid->setGridOrdering(TColorGrid::Ordering::go8x2);
    m_colorGrid->setBackgroundEnabled(false);
    auto* colorLayout = new QVBoxLayout(m_colorBox);
    colorLayout->addWidget(m_styleList, 1);
    colorLayout->addWidget(m_colorGrid, 0, Qt::AlignHCenter);

    // HTML file settings: header or footer text, text size, position.
    m_htmlBox = named(new QGroupBox(this), "HtmlSettingsBox");
    m_textBox = named(new QGroupBox(m_htmlBox), "HtmlTextBox");
    m_textEdit = named(new QLineEdit(m_textBox), "EdtText");
    (new QVBoxLayout(m_textBox))->addWidget(m_textEdit);
    m_sizeBox = named(new QGroupBox(m_htmlBox), "TextSizeBox");
    m_sizeEdit = named(new QLineEdit(QStringLiteral("0"), m_sizeBox), "EdtSze");
    m_sizeEdit->setMaximumWidth(60);
    m_sizeEdit->installEventFilter(this);
    // Only the arrows show; they set sizes from -4 to 4, negative ones included, into m_sizeEdit.
    m_sizeArrows = named(new QSpinBox(m_sizeBox), "SzeUpDown");
    m_sizeArrows->setRange(-4, 4);
    m_sizeArrows->setFixedWidth(20);
    m_sizeArrows->setFocusPolicy(Qt::NoFocus);
    auto* sizeLayout = new QHBoxLayout(m_sizeBox);
    sizeLayout->setSpacing(0);
    sizeLayout->addWidget(m_sizeEdit);
    sizeLayout->addWidget(m_sizeArrows);
    sizeLayout->addStretch(1);
    m_positionGroup = named(new QGroupBox(m_htmlBox), "PosRGroup");
    m_positions = new QButtonGroup(this);
    auto* posLayout = new QHBoxLayout(m_positionGroup);
    const std::array<const char*, 3> positionNames = {"PosLeft", "PosCenter", "PosRight"};
    for (int i = 0; i < 3; ++i) {
        auto* b = named(new QRadioButton(m_positionGroup), positionNames[static_cast<size_t>(i)]);
        m_positions->addButton(b, i);
        posLayout->addWidget(b);
    }
    auto* htmlLayout = new QGridLayout(m_htmlBox);
    htmlLayout->addWidget(m_textBox, 0, 0, 1, 2);
    htmlLayout->addWidget(m_sizeBox, 1, 0);
    htmlLayout->addWidget(m_positionGroup, 1, 1);
    htmlLayout->setColumnStretch(1, 1);

    // General settings.
    m_generalBox = named(new QGroupBox(this), "GeneralBox");
    m_autoStartBox = named(new QCheckBox(m_generalBox), "CbxAutoStart");
    m_registerExtensionBox = named(new QCheckBox(m_generalBox), "CbxRegisterExtension");
    m_gridLinesBox = named(new QCheckBox(m_generalBox), "CbxGridLines");
    m_useBeginDateBox = named(new QCheckBox(m_generalBox), "cbxUseBeginDate");
    m_preAlarmLabel = named(new QLabel(m_generalBox), "LblPreAlarm");
    m_preAlarmSpin = named(new QSpinBox(m_generalBox), "EdtPreAlarm");
    m_preAlarmSpin->setRange(0, 60);
    m_fontSizeLabel = named(new QLabel(m_generalBox), "LblFontSize");
    m_fontSizeSpin = named(new QSpinBox(m_generalBox), "EdtFontSize");
    m_fontSizeSpin->setRange(6, 14);
    m_fontSizeSpin->setValue(11);
    m_fontLabel = named(new QLabel(m_generalBox), "LblFont");
    m_fontCombo = named(new FontNameComboBox(m_generalBox), "FontCombo");
    m_languageLabel = named(new QLabel(m_generalBox), "LblLanguage");
    m_languageCombo = named(new QComboBox(m_generalBox), "cboLanguage");
    m_codePageLabel = named(new QLabel(m_generalBox), "LblCodePage");
    m_codePageCombo = named(new QComboBox(m_generalBox), "cboCodePage");
    m_codePageLabel->setBuddy(m_codePageCombo);
    m_preAlarmLabel->setBuddy(m_preAlarmSpin);
    m_fontSizeLabel->setBuddy(m_fontSizeSpin);
    m_fontLabel->setBuddy(m_fontCombo);
    connect(m_fontCombo, &QComboBox::currentTextChanged, this, [this](const QString& family) {
        const auto [smallest, largest] = fontSizeRange(family);
        setWidened(m_fontSizeSpin, smallest, largest, m_fontSizeSpin->value());
    });
    m_languageLabel->setBuddy(m_languageCombo);
    auto* general = new QGridLayout(m_generalBox);
    general->addWidget(m_autoStartBox, 0, 0);
    general->addWidget(m_preAlarmSpin, 0, 1);
    general->addWidget(m_preAlarmLabel, 0, 2);
    general->addWidget(m_registerExtensionBox, 1, 0);
    general->addWidget(m_fontSizeSpin, 1, 1);
    general->addWidget(m_fontSizeLabel, 1, 2);
    general->addWidget(m_gridLinesBox, 2, 0);
    general->addWidget(m_useBeginDateBox, 2, 1, 1, 2);
    general->addWidget(m_fontLabel, 3, 0);
    general->addWidget(m_fontCombo, 3, 1, 1, 2);
    general->addWidget(m_languageLabel, 4, 0);
    general->addWidget(m_languageCombo, 4, 1, 1, 2);
    general->addWidget(m_codePageLabel, 5, 0);
    general->addWidget(m_codePageCombo, 5, 1, 1, 2);
    general->setColumnStretch(2, 1);

    // Alarm sound.
    m_alarmBox = named(new QGroupBox(this), "AlarmBox");
    m_soundLabel = named(new QLabel(m_alarmBox), "LblSound");
    m_soundFileButton = named(new QToolButton(m_alarmBox), "BtnSoundFile");
    m_soundFileButton->setText(QStringLiteral("..."));
    m_soundLocationLabel = named(new QLabel(m_alarmBox), "LblSoundLocation");
    m_soundLocationLabel->setWordWrap(true);
    m_soundLocationLabel->setMinimumHeight(2 * fontMetrics().height());
    m_soundLocationLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* alarm = new QGridLayout(m_alarmBox);
    alarm->addWidget(m_soundLabel, 0, 0);
    alarm->addWidget(m_soundFileButton, 0, 1, Qt::AlignRight);
    alarm->addWidget(m_soundLocationLabel, 1, 0, 1, 2);

    m_hintWindow = named(new QPlainTextEdit(this), "HintWindow");
    m_hintWindow->setReadOnly(true);
    m_hintWindow->setFocusPolicy(Qt::NoFocus);
    m_hintWindow->setMinimumHeight(4 * fontMetrics().height());

    m_saveCloseButton = named(new QPushButton(this), "BtnSaveClose");
    m_cancelButton = named(new QPushButton(this), "BtnCancel");
    // Enter in a field must not close the dialog: the buttons act on a click or Space only.
    for (QPushButton* b : {m_saveCloseButton, m_cancelButton})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_saveCloseButton);
    buttons->addWidget(m_cancelButton);

    // Two pages: everything above, and the sync; the buttons under both.
    m_pages = named(new QTabWidget(this), "SettingsPages");
    auto* generalPage = new QWidget;
    auto* left = new QVBoxLayout;
    left->addWidget(m_colorBox, 1);
    left->addWidget(m_htmlBox);
    auto* right = new QVBoxLayout;
    right->addWidget(m_generalBox);
    right->addWidget(m_alarmBox);
    right->addWidget(m_hintWindow, 1);
    auto* columns = new QHBoxLayout(generalPage);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    m_syncPage = new SyncSettingsPage;
    m_pages->addTab(generalPage, QString());
    m_pages->addTab(m_syncPage, QString());
    auto* top = new QVBoxLayout(this);
    top->addWidget(m_pages, 1);
    top->addLayout(buttons);

    connect(m_styleList, &QListWidget::currentRowChanged, this, &SettingsDialog::listClick);
    connect(m_colorGrid, &TColorGrid::OnChange, this, [this] { m_colorPicked = true; });
    connect(m_sizeArrows, &QSpinBox::valueChanged, this,
            [this](int v) { m_sizeEdit->setText(QString::number(v)); });
    connect(m_sizeEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QSignalBlocker block(m_sizeArrows);
        m_sizeArrows->setValue(parseSize(text).value_or(0));
    });
    connect(m_saveCloseButton, &QPushButton::clicked, this, &SettingsDialog::BtnSaveCloseClick);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_soundFileButton, &QToolButton::clicked, this, &SettingsDialog::BtnSoundFileClick);
    connect(m_registerExtensionBox, &QCheckBox::clicked, this, &SettingsDialog::CbxRegisterExtensionClick);
}

void SettingsDialog::applyDesignTexts()
{
    m_colorBox->setTitle(QStringLiteral("Color settings for table and HTML converter"));
    m_htmlBox->setTitle(QStringLiteral("HTML file settings"));
    m_textBox->setTitle(QStringLiteral("HTML File header or footer"));
    m_sizeBox->setTitle(QStringLiteral("Text Size"));
    m_positionGroup->setTitle(QStringLiteral("HTML Text Position"));
    const std::array<const char*, 3> positions = {"Left", "Center", "Right"};
    for (int i = 0; i < 3; ++i)
        m_positions->button(i)->setText(QLatin1String(positions[static_cast<size_t>(i)]));
    m_generalBox->setTitle(QStringLiteral("General Settings"));
    m_autoStartBox->setText(QStringLiteral("Start at login"));
    m_registerExtensionBox->setText(QStringLiteral("Open list files"));
    m_preAlarmLabel->setText(QStringLiteral("\"Alarm pre time\""));
    m_gridLinesBox->setText(QStringLiteral("Show Gridlines"));
    m_fontSizeLabel->setText(QStringLiteral("Font size"));
    m_useBeginDateBox->setText(QStringLiteral("Use begin date for new tasks"));
    m_fontLabel->setText(builtInText(kSettings, "Label0"));
    m_languageLabel->setText(builtInText(kSettings, "Label1"));
    m_codePageLabel->setText(builtInText(kSettings, "Label2"));
    m_alarmBox->setTitle(QStringLiteral("Alarm"));
    m_soundLabel->setText(builtInText(kSettings, "Label3"));
    m_soundFileButton->setToolTip(builtInText(kSettings, "Label4"));
    m_saveCloseButton->setText(QStringLiteral("Save and Close"));
    m_cancelButton->setText(QStringLiteral("Cancel"));
    m_hintWindow->setPlainText(QStringLiteral("Hints:"));

    // The controls' own hints are the built-in texts; the two buttons have hints of their own.
    const auto builtIn = [](const char* key) { return builtInText(kHints, key); };
    setHint(m_styleList, builtIn("Hint1"));
    setHint(m_colorGrid, builtIn("Hint2"));
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_htmlBox, m_textBox, m_sizeBox, m_textEdit, m_sizeEdit})
        setHint(w, builtIn("Hint3"));
    setHint(m_autoStartBox, builtIn("Hint4"));
    setHint(m_registerExtensionBox, builtIn("Hint5"));
    setHint(m_gridLinesBox, builtIn("Hint6"));
    for (QWidget* w : std::initializer_list<QWidget*>{m_preAlarmLabel, m_preAlarmSpin})
        setHint(w, builtIn("Hint7"));
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_fontSizeSpin, m_fontCombo, m_fontSizeLabel, m_generalBox})
        setHint(w, builtIn("Hint8"));
    setHint(m_saveCloseButton, QStringLiteral("Close and apply settings"));
    setHint(m_cancelButton, QStringLiteral("Close, don't apply settings"));
    setHint(m_languageCombo, builtIn("Hint11"));
    setHint(m_codePageCombo, builtIn("Hint12"));
    applyPageTexts();
}

void SettingsDialog::applyPageTexts()
{
    const LanguageTexts& texts = LanguageTexts::shared();
    m_pages->setTabText(0, texts.text("SyncPage", "Page0"));
    m_pages->setTabText(1, texts.text("SyncPage", "Page1"));
    m_syncPage->retranslate();
}

void SettingsDialog::setSyncService(SyncService* service)
{
    m_syncPage->setService(service);
}

void SettingsDialog::applyLanguageTexts()
{
    const LanguageTexts& texts = LanguageTexts::shared();
    const auto caption = [&texts](const char* key) { return texts.text(kSettings, key); };
    m_colorBox->setTitle(caption("Frame0"));
    m_htmlBox->setTitle(caption("Frame1"));
    m_textBox->setTitle(caption("Frame2"));
    m_sizeBox->setTitle(caption("Frame3"));
    m_positionGroup->setTitle(caption("Frame4"));
    m_generalBox->setTitle(caption("Frame5"));
    const std::array<const char*, 3> radios = {"Radio0", "Radio1", "Radio2"};
    for (int i = 0; i < 3; ++i)
        m_positions->button(i)->setText(caption(radios[static_cast<size_t>(i)]));
    m_autoStartBox->setText(caption("General0"));
    m_registerExtensionBox->setText(caption("General1"));
    m_gridLinesBox->setText(caption("General2"));
    m_preAlarmLabel->setText(caption("General3"));
    m_fontSizeLabel->setText(caption("General4"));
    m_useBeginDateBox->setText(caption("General5"));
    // Replaced by the stored sound path when the settings are read.
    m_soundLocationLabel->setText(caption("General6"));
    m_saveCloseButton->setText(caption("Button0"));
    m_cancelButton->setText(caption("Button1"));
    for (int i = 0; i < m_styleList->count(); ++i)
        m_styleList->item(i)->setText(caption(qPrintable(QStringLiteral("Style%1").arg(i))));
    m_fontLabel->setText(caption("Label0"));
    m_languageLabel->setText(caption("Label1"));
    m_codePageLabel->setText(caption("Label2"));
    m_soundLabel->setText(caption("Label3"));
    m_soundFileButton->setToolTip(caption("Label4"));

    const auto hint = [&texts](const char* key) { return texts.text(kHints, key); };
    setHint(m_styleList, hint("Hint1"));
    setHint(m_colorGrid, hint("Hint2"));
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_htmlBox, m_textBox, m_sizeBox, m_textEdit, m_sizeEdit})
        setHint(w, hint("Hint3"));
    setHint(m_autoStartBox, hint("Hint4"));
    setHint(m_registerExtensionBox, hint("Hint5"));
    setHint(m_gridLinesBox, hint("Hint6"));
    for (QWidget* w : std::initializer_list<QWidget*>{m_preAlarmLabel, m_preAlarmSpin})
        setHint(w, hint("Hint7"));
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_fontSizeSpin, m_fontCombo, m_fontSizeLabel, m_generalBox})
        setHint(w, hint("Hint8"));
    setHint(m_saveCloseButton, hint("Hint9"));
    setHint(m_cancelButton, hint("Hint10"));
    setHint(m_languageCombo, hint("Hint11"));
    setHint(m_codePageCombo, hint("Hint12"));
    applyPageTexts();
}

void SettingsDialog::setIniFileName(const QString& path)
{
    // Only a path that names nothing falls back. One that names something else (a folder, say) is kept,
    // so that saving reports why it cannot write there instead of writing somewhere the program never
    // reads.
    m_iniFileName = !path.isEmpty() && QFileInfo::exists(path) ? path : FallbackIniPath();
}

void SettingsDialog::setFormCaption(const QString& caption)
{
    m_formCaption = caption;
    if (m_activated)
        setWindowTitle(caption);
}

bool SettingsDialog::UseInputDate() const
{
    return m_useBeginDateBox->isChecked();
}

void SettingsDialog::showEvent(QShowEvent* event)
{
    // Filled once: showing the dialog again must not undo the user's changes.
    if (!m_activated)
        FormActivate();
    QDialog::showEvent(event);
}

bool SettingsDialog::event(QEvent* event)
{
    // The long part of the hint under the pointer goes to the hint window; leaving a control (an empty
    // hint) keeps the last one readable.
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        if (!tip.isEmpty())
            setHintText(tip);
        return true;
    }
    return QDialog::event(event);
}

void SettingsDialog::setHintText(const QString& longHint)
{
    const QString text = longHint.trimmed();
    if (m_hintWindow->isVisible() && m_hintWindow->toPlainText() != text)
        m_hintWindow->setPlainText(text);
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_sizeEdit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (EdtSzeKeyPress(key->text()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool SettingsDialog::EdtSzeKeyPress(const QString& text)
{
    // Printable characters other than digits are swallowed, the minus sign too (the arrows set negative
    // sizes); editing keys such as Backspace pass.
    if (text.isEmpty() || !text.front().isPrint())
        return false;
    return !(text.front() >= QLatin1Char('0') && text.front() <= QLatin1Char('9'));
}

void SettingsDialog::FormActivate()
{
    setIniFileName(m_iniFileName);
    m_languageCombo->clear();
    for (const QString& file : LanguageFileListing())
        m_languageCombo->addItem(LanguageDisplayName(file), file);
    if (LanguageTexts::shared().load(m_iniFileName, LanguageTexts::Window::Settings))
        applyLanguageTexts();
    setWindowTitle(m_formCaption);
    readSettings();
    m_activated = true;
    m_shown = -1;
    {
        const QSignalBlocker block(m_styleList);
        m_styleList->setCurrentRow(0);
    }
    showStyleItem(0);
    m_styleList->setFocus();
}

void SettingsDialog::readSettings()
{
    QStringList problems;
    IoResult loaded;
    m_values = SettingsValues::read(m_iniFileName, &problems, &loaded);
    const SettingsValues& v = m_values;
    m_gridLinesBox->setChecked(v.ShowGrid);
    // What the desktop really does, not what was once stored: a fresh data folder starts nothing.
    m_autoStartAtOpen = m_integration && m_integration->IsAutoStartEnabled();
    m_autoStartBox->setChecked(m_autoStartAtOpen);
    m_useBeginDateBox->setChecked(v.UseBeginDate);
    // A stored name the folder no longer holds stays as it is until the user picks another.
    // The language shown is the one in effect: saving without touching the box keeps it.
    const QString language = LanguageInEffect(m_iniFileName);
    if (m_languageCombo->findData(language) < 0)
        m_languageCombo->addItem(language, language);
    m_languageCombo->setCurrentIndex(m_languageCombo->findData(language));
    m_codePageCombo->clear();
    m_codePageCombo->addItems(SettingsValues::codePagesOffered(v.CodePage));
    m_codePageCombo->setEnabled(m_codePageCombo->count() > 1);
    setWidened(m_preAlarmSpin, 0, 60, v.PreAlarmTime);
    m_soundFile = v.SoundFile;
    m_soundLocationLabel->setText(m_soundFile);
    m_fontCombo->setFontName(v.FontName.isEmpty() ? QApplication::font().family() : v.FontName);
    const auto [smallest, largest] = fontSizeRange(m_fontCombo->fontName());
    setWidened(m_fontSizeSpin, smallest, largest, v.FontSize);
    m_syncPage->load(SyncSettings::read(m_iniFileName));

    const LanguageTexts& texts = LanguageTexts::shared();
    QString message;
    if (!loaded)
        message = failureText(texts.text("Settings", "Unread"), loaded);
    else if (!problems.isEmpty())
        message = texts.text("Settings", "SomeUnread")
                      .arg(QDir::toNativeSeparators(m_iniFileName), problems.join(QLatin1Char('\n')));
    if (!message.isEmpty())
        QTimer::singleShot(0, this, [this, message] { MessageBox::information(this, message); });
}

void SettingsDialog::listClick(int row)
{
    if (row < 0 || row >= StyleItem::Count)
        return;
    if (!m_activated || row == m_shown)
        return;
    if (m_shown >= 0 && !storeShownItem()) {
        // The shown item stays until its size is a number.
        const QSignalBlocker block(m_styleList);
        m_styleList->setCurrentRow(m_shown);
        return;
    }
    showStyleItem(row);
}

void SettingsDialog::showStyleItem(int position)
{
    const StyleItem::Controls enabled = StyleItem::controlsAt(position);
    for (QWidget* w : std::initializer_list<QWidget*>{m_textBox, m_textEdit})
        w->setEnabled(enabled.text);
    for (QWidget* w : std::initializer_list<QWidget*>{m_sizeBox, m_sizeEdit, m_sizeArrows})
        w->setEnabled(enabled.size);
    m_positionGroup->setEnabled(enabled.position);
    m_colorGrid->setEnabled(enabled.color);

    const StyleItem& item = m_values.StyleItems[static_cast<size_t>(position)];
    m_textEdit->setText(item.Text);
    m_sizeEdit->setText(QString::number(item.TextSize));
    {
        const QSignalBlocker block(m_sizeArrows);
        m_sizeArrows->setValue(item.TextSize);
    }
    if (QAbstractButton* b = m_positions->button(std::clamp(item.Position, 0, 2)))
        b->setChecked(true);
    // An item without a colour of its own shows no cell: black would be a choice the user never made.
    m_colorGrid->setForegroundIndex(item.ColorSet ? TColorGrid::ColorToIndex(item.Color) : -1);
    m_colorPicked = false;
    m_shown = position;
}

bool SettingsDialog::storeShownItem()
{
    if (m_shown < 0)
        return true;
    StyleItem& item = m_values.StyleItems[static_cast<size_t>(m_shown)];
    const std::optional<int> size = parseSize(m_sizeEdit->text());
    if (!size) {
        MessageBox::information(
            this, LanguageTexts::shared().text("Settings", "BadSize").arg(item.section, m_sizeEdit->text()));
        m_sizeEdit->setFocus();
        m_sizeEdit->selectAll();
        return false;
    }
    item.Text = m_textEdit->text();
    item.TextSize = *size;
    if (m_positions->checkedId() >= 0)
        item.Position = m_positions->checkedId();
    // A colour no cell shows (a system colour, say) is kept unless the user picked a cell.
    if (m_colorPicked) {
        if (const auto color = m_colorGrid->ForegroundColor()) {
            item.Color = *color;
            item.ColorSet = true;
        }
    }
    m_colorPicked = false;
    return true;
}

void SettingsDialog::BtnSaveCloseClick()
{
    if (!storeShownItem())
        return;
    SettingsValues values = m_values;
    values.ShowGrid = m_gridLinesBox->isChecked();
    values.AutoStart = m_autoStartBox->isChecked();
    values.UseBeginDate = m_useBeginDateBox->isChecked();
    values.Language = m_languageCombo->currentData().toString();
    values.CodePage = m_codePageCombo->currentText();
    values.PreAlarmTime = m_preAlarmSpin->value();
    values.SoundFile = m_soundFile;
    values.FontName = m_fontCombo->fontName();
    values.FontSize = m_fontSizeSpin->value();
    const SyncSettings sync = m_syncPage->settings();
    if (IoResult r = ChangeIniFile(m_iniFileName,
                                   [&](IniFile& ini) {
                                       values.writeTo(ini);
                                       if (m_syncPage->changed())
                                           sync.writeTo(ini);
                                   });
        !r) {
        MessageBox::information(this,
                                failureText(LanguageTexts::shared().text("Messages", "SettingsNotSaved"), r));
        return;
    }
    m_values = values;
    m_syncPage->storePassword();
    // Written only when the user changed the box: an unchanged box leaves the desktop's entries alone.
    if (m_integration && values.AutoStart != m_autoStartAtOpen) {
        const IoResult r = m_integration->SetAutoStart(QCoreApplication::applicationFilePath(),
                                                       kAutoStartName, values.AutoStart);
        if (!r)
            MessageBox::information(
                this, failureText(values.AutoStart
                                      ? LanguageTexts::shared().text("Messages", "AutoStartFailed")
                                      : LanguageTexts::shared().text("Messages", "AutoStartRemoveFailed"),
                                  r));
    }
    accept();
}

void SettingsDialog::BtnSoundFileClick()
{
    const QString folder = m_soundFile.isEmpty() ? QString() : QFileInfo(m_soundFile).absolutePath();
    const QString path =
        FileDialog::getOpenFileName(this, LanguageTexts::shared().text(kSettings, "Label3"), folder,
                                    QStringLiteral("Sound File (*.wav)"), QStringLiteral("wav"));
    if (path.isEmpty())
        return;
    m_soundFile = QFileInfo(path).absoluteFilePath();
    m_soundLocationLabel->setText(m_soundFile);
}

void SettingsDialog::CbxRegisterExtensionClick(bool checked)
{
    if (!m_integration || checked == m_registered)
        return;
    const QStringList extensions = {QStringLiteral("tdo"), QStringLiteral("tdx")};
    IoResult r;
    QStringList done;
    for (const QString& ext : extensions) {
        r = checked ? m_integration->RegisterExtension(ext) : m_integration->UnregisterExtension(ext);
        if (!r)
            break;
        done << ext;
    }
    if (r) {
        m_registered = checked;
        return;
    }
    // Half a registration helps nobody: what was registered goes again. Then the box shows what is.
    if (checked) {
        for (const QString& ext : done)
            m_integration->UnregisterExtension(ext);
    }
    m_registered = m_integration->IsExtensionRegistered();
    m_registerExtensionBox->setChecked(m_registered);
    MessageBox::information(
        this, failureText(checked ? LanguageTexts::shared().text("Messages", "RegisterFailed")
                                  : LanguageTexts::shared().text("Messages", "UnregisterFailed"),
                          r));
}
