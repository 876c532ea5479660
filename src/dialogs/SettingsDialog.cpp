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
// The entry name of the start at login, as the program has always called it.
const QString kAutoStartName = QStringLiteral("org.quillmar.Quillmar");

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
    m_ui.applyDesignTexts();
    for (const QString& section : StyleItem::sections())
        m_ui.styleList->addItem(section);
    // The box starts as the association is; that agreement is why setting it registers nothing.
    if (m_integration)
        m_registered = m_integration->IsExtensionRegistered();
    m_ui.registerExtensionBox->setChecked(m_registered);
    m_ui.registerExtensionBox->setEnabled(m_integration != nullptr);
    m_ui.autoStartBox->setEnabled(m_integration != nullptr);
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::createControls()
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    m_ui.create(this);
    m_ui.sizeEdit->installEventFilter(this);
    connect(m_ui.fontCombo, &QComboBox::currentTextChanged, this, [this](const QString& family) {
        const auto [smallest, largest] = fontSizeRange(family);
        setWidened(m_ui.fontSizeSpin, smallest, largest, m_ui.fontSizeSpin->value());
    });
    connect(m_ui.styleList, &QListWidget::currentRowChanged, this, &SettingsDialog::listClick);
    connect(m_ui.colorGrid, &TColorGrid::OnChange, this, [this] { m_colorPicked = true; });
    connect(m_ui.sizeArrows, &QSpinBox::valueChanged, this,
            [this](int v) { m_ui.sizeEdit->setText(QString::number(v)); });
    connect(m_ui.sizeEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QSignalBlocker block(m_ui.sizeArrows);
        m_ui.sizeArrows->setValue(parseSize(text).value_or(0));
    });
    connect(m_ui.saveCloseButton, &QPushButton::clicked, this, &SettingsDialog::BtnSaveCloseClick);
    connect(m_ui.cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui.soundFileButton, &QToolButton::clicked, this, &SettingsDialog::BtnSoundFileClick);
    connect(m_ui.registerExtensionBox, &QCheckBox::clicked, this, &SettingsDialog::CbxRegisterExtensionClick);
}

void SettingsDialog::setSyncService(SyncService* service)
{
    m_ui.syncPage->setService(service);
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
    return m_ui.useBeginDateBox->isChecked();
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
    if (m_ui.hintWindow->isVisible() && m_ui.hintWindow->toPlainText() != text)
        m_ui.hintWindow->setPlainText(text);
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui.sizeEdit && event->type() == QEvent::KeyPress) {
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
    m_ui.languageCombo->clear();
    for (const QString& file : LanguageFileListing())
        m_ui.languageCombo->addItem(LanguageDisplayName(file), file);
    if (LanguageTexts::shared().load(m_iniFileName, LanguageTexts::Window::Settings))
        m_ui.applyLanguageTexts();
    setWindowTitle(m_formCaption);
    readSettings();
    m_activated = true;
    m_shown = -1;
    {
        const QSignalBlocker block(m_ui.styleList);
        m_ui.styleList->setCurrentRow(0);
    }
    showStyleItem(0);
    m_ui.styleList->setFocus();
}

void SettingsDialog::readSettings()
{
    QStringList problems;
    IoResult loaded;
    m_values = SettingsValues::read(m_iniFileName, &problems, &loaded);
    const SettingsValues& v = m_values;
    m_ui.gridLinesBox->setChecked(v.ShowGrid);
    // What the desktop really does, not what was once stored: a fresh data folder starts nothing.
    m_autoStartAtOpen = m_integration && m_integration->IsAutoStartEnabled();
    m_ui.autoStartBox->setChecked(m_autoStartAtOpen);
    m_ui.useBeginDateBox->setChecked(v.UseBeginDate);
    // A stored name the folder no longer holds stays as it is until the user picks another.
    // The language shown is the one in effect: saving without touching the box keeps it.
    const QString language = LanguageInEffect(m_iniFileName);
    if (m_ui.languageCombo->findData(language) < 0)
        m_ui.languageCombo->addItem(language, language);
    m_ui.languageCombo->setCurrentIndex(m_ui.languageCombo->findData(language));
    m_ui.codePageCombo->clear();
    m_ui.codePageCombo->addItems(SettingsValues::codePagesOffered(v.CodePage));
    m_ui.codePageCombo->setEnabled(m_ui.codePageCombo->count() > 1);
    setWidened(m_ui.preAlarmSpin, 0, 60, v.PreAlarmTime);
    m_soundFile = v.SoundFile;
    m_ui.soundLocationLabel->setText(m_soundFile);
    m_ui.fontCombo->setFontName(v.FontName.isEmpty() ? QApplication::font().family() : v.FontName);
    const auto [smallest, largest] = fontSizeRange(m_ui.fontCombo->fontName());
    setWidened(m_ui.fontSizeSpin, smallest, largest, v.FontSize);
    m_ui.syncPage->load(SyncSettings::read(m_iniFileName));

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
        const QSignalBlocker block(m_ui.styleList);
        m_ui.styleList->setCurrentRow(m_shown);
        return;
    }
    showStyleItem(row);
}

void SettingsDialog::showStyleItem(int position)
{
    const StyleItem::Controls enabled = StyleItem::controlsAt(position);
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui.textBox, m_ui.textEdit})
        w->setEnabled(enabled.text);
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui.sizeBox, m_ui.sizeEdit, m_ui.sizeArrows})
        w->setEnabled(enabled.size);
    m_ui.positionGroup->setEnabled(enabled.position);
    m_ui.colorGrid->setEnabled(enabled.color);

    const StyleItem& item = m_values.StyleItems[static_cast<size_t>(position)];
    m_ui.textEdit->setText(item.Text);
    m_ui.sizeEdit->setText(QString::number(item.TextSize));
    {
        const QSignalBlocker block(m_ui.sizeArrows);
        m_ui.sizeArrows->setValue(item.TextSize);
    }
    if (QAbstractButton* b = m_ui.positions->button(std::clamp(item.Position, 0, 2)))
        b->setChecked(true);
    // An item without a colour of its own shows no cell: black would be a choice the user never made.
    m_ui.colorGrid->setForegroundIndex(item.ColorSet ? TColorGrid::ColorToIndex(item.Color) : -1);
    m_colorPicked = false;
    m_shown = position;
}

bool SettingsDialog::storeShownItem()
{
    if (m_shown < 0)
        return true;
    StyleItem& item = m_values.StyleItems[static_cast<size_t>(m_shown)];
    const std::optional<int> size = parseSize(m_ui.sizeEdit->text());
    if (!size) {
        MessageBox::information(
            this,
            LanguageTexts::shared().text("Settings", "BadSize").arg(item.section, m_ui.sizeEdit->text()));
        m_ui.sizeEdit->setFocus();
        m_ui.sizeEdit->selectAll();
        return false;
    }
    item.Text = m_ui.textEdit->text();
    item.TextSize = *size;
    if (m_ui.positions->checkedId() >= 0)
        item.Position = m_ui.positions->checkedId();
    // A colour no cell shows (a system colour, say) is kept unless the user picked a cell.
    if (m_colorPicked) {
        if (const auto color = m_ui.colorGrid->ForegroundColor()) {
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
    values.ShowGrid = m_ui.gridLinesBox->isChecked();
    values.AutoStart = m_ui.autoStartBox->isChecked();
    values.UseBeginDate = m_ui.useBeginDateBox->isChecked();
    values.Language = m_ui.languageCombo->currentData().toString();
    values.CodePage = m_ui.codePageCombo->currentText();
    values.PreAlarmTime = m_ui.preAlarmSpin->value();
    values.SoundFile = m_soundFile;
    values.FontName = m_ui.fontCombo->fontName();
    values.FontSize = m_ui.fontSizeSpin->value();
    const SyncSettings sync = m_ui.syncPage->settings();
    if (IoResult r = ChangeIniFile(m_iniFileName,
                                   [&](IniFile& ini) {
                                       values.writeTo(ini);
                                       if (m_ui.syncPage->changed())
                                           sync.writeTo(ini);
                                   });
        !r) {
        MessageBox::information(this,
                                failureText(LanguageTexts::shared().text("Messages", "SettingsNotSaved"), r));
        return;
    }
    m_values = values;
    m_ui.syncPage->storePassword();
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
    m_ui.soundLocationLabel->setText(m_soundFile);
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
    m_ui.registerExtensionBox->setChecked(m_registered);
    MessageBox::information(
        this, failureText(checked ? LanguageTexts::shared().text("Messages", "RegisterFailed")
                                  : LanguageTexts::shared().text("Messages", "UnregisterFailed"),
                          r));
}
