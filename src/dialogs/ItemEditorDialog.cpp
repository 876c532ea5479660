#include "dialogs/ItemEditorDialog.h"

#include "config/LanguageTexts.h"
#include "config/Paths.h"
#include "dialogs/FileDialog.h"
#include "dialogs/MessageBox.h"
#include "dialogs/NameComboBox.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTimeEdit>
#include <QToolButton>

namespace {
// Memo text as it goes back: unchanged text keeps its original line breaks byte for byte; edited text
// takes CR LF when the original had it, as lists written on Windows do.
QString memoText(const QPlainTextEdit* memo, const QString& original)
{
    QString text = memo->toPlainText();
    QString normalised = original;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text == normalised)
        return original;
    if (original.contains(QLatin1String("\r\n")))
        text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

bool fileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}
} // namespace

ItemEditorDialog::ItemEditorDialog(QWidget* parent) : QDialog(parent), m_item(ToDoItem::make({}))
{
    setObjectName(QStringLiteral("ToDoDlgFrm"));
    createControls();
    m_ui.applyDesignCaptions();
}

ItemEditorDialog::~ItemEditorDialog() = default;

void ItemEditorDialog::createControls()
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    m_ui.create(this);
    m_ui.priorityEdit->installEventFilter(this);
    for (NameComboBox* box : {m_ui.ownerCombo, m_ui.projectCombo})
        box->setNameCheck([this](const QString& name) { return checkEncodable({name}); });

    // Ctrl+Enter takes the item from any field, the multi-line ones too (where Enter starts a new line);
    // elsewhere Enter reaches the default button.
    for (const QKeyCombination key : {Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter}) {
        auto* accept = new QShortcut(QKeySequence(key), this);
        connect(accept, &QShortcut::activated, this, &ItemEditorDialog::OKButtClick);
    }
    connect(m_ui.okButton, &QPushButton::clicked, this, &ItemEditorDialog::OKButtClick);
    connect(m_ui.cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui.clearButton, &QPushButton::clicked, this, &ItemEditorDialog::ClearAllButClick);
    connect(m_ui.useDateInBox, &QCheckBox::clicked, this, &ItemEditorDialog::CbxUseDateClick);
    connect(m_ui.targetBox, &QCheckBox::clicked, this, &ItemEditorDialog::CbxUseDateClick);
    connect(m_ui.alarmBox, &QCheckBox::clicked, this, &ItemEditorDialog::CbxAlarmClick);
    connect(m_ui.targetEdit, &QDateEdit::dateChanged, this, &ItemEditorDialog::DatePickClick);
    connect(m_ui.alarmTimeEdit, &QTimeEdit::timeChanged, this, [this] { m_timeTouched = true; });
    connect(m_ui.dateInEdit, &QDateEdit::dateChanged, this, [this] { m_dateInTouched = true; });
    connect(m_ui.browseButton, &QToolButton::clicked, this, &ItemEditorDialog::browseForDocument);
    connect(m_ui.prioritySpin, &QSpinBox::valueChanged, this,
            [this](int v) { m_ui.priorityEdit->setText(QString::number(v)); });
    connect(m_ui.priorityEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        // Pasted text is filtered like typed text: only its digits stay.
        QString digits;
        for (const QChar c : text) {
            if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                digits += c;
        }
        if (digits != text) {
            const int cursor = m_ui.priorityEdit->cursorPosition() - int(text.size() - digits.size());
            m_ui.priorityEdit->setText(digits);
            m_ui.priorityEdit->setCursorPosition(qMax(0, cursor));
        }
        const QSignalBlocker block(m_ui.prioritySpin);
        m_ui.prioritySpin->setValue(qBound(0, digits.toInt(), 10));
    });
}

void ItemEditorDialog::setIniFileName(const QString& path)
{
    m_iniFileName = fileExists(path) ? path : FallbackIniPath();
}

void ItemEditorDialog::setFormCaption(const QString& caption)
{
    m_formCaption = caption;
    if (m_activated)
        setWindowTitle(caption);
}

void ItemEditorDialog::setMemocolor(const QColor& color)
{
    m_memoColor = color;
    if (m_activated)
        applyMemoLook();
}

void ItemEditorDialog::setMemoFontnAME(const QString& name)
{
    m_memoFontName = name;
    if (m_activated)
        applyMemoLook();
}

void ItemEditorDialog::setItem(const ToDoItem& item)
{
    m_item = item;
    // A row read with fewer values gains the missing ones as empty values.
    m_item.ensureValueCount(ToDoItem::ColumnCount);
    m_result = m_item;
}

void ItemEditorDialog::setNames(const QByteArrayList& owners, const QByteArrayList& projects)
{
    m_ownerNames = owners;
    m_projectNames = projects;
}

QByteArrayList ItemEditorDialog::ownerNames() const
{
    // The boxes hold the names only once the dialog has been filled.
    return m_activated ? m_ui.ownerCombo->names() : m_ownerNames;
}

QByteArrayList ItemEditorDialog::projectNames() const
{
    return m_activated ? m_ui.projectCombo->names() : m_projectNames;
}

void ItemEditorDialog::showEvent(QShowEvent* event)
{
    // Filled once: activating the dialog again (after the file dialog, say) must not undo the user's edits.
    if (!m_activated)
        FormActivate();
    QDialog::showEvent(event);
}

void ItemEditorDialog::FormActivate()
{
    if (m_activated)
        return;
    const QDateTime now = Clock::now();
    const QString dateIn = m_item.valueText(ToDoItem::DateIn);
    const QString target = m_item.valueText(ToDoItem::Target);
    const QString alarmText = m_item.valueText(ToDoItem::AlarmTime);
    {
        // Filling is not the user changing the pickers.
        const QSignalBlocker b1(m_ui.dateInEdit), b2(m_ui.targetEdit), b3(m_ui.alarmTimeEdit);

        m_ui.useDateInBox->setChecked(!dateIn.isEmpty());
        m_ui.dateInEdit->setDate(Regional::textToDate(QStringView(dateIn)).value_or(now.date()));

        if (target.isEmpty()) {
            m_ui.targetBox->setChecked(false);
            m_ui.targetEdit->setDate(now.date().addDays(1));
        } else if (const auto day = Regional::textToDate(QStringView(target))) {
            m_ui.targetEdit->setDate(*day);
            m_ui.targetBox->setChecked(true);
        } else {
            m_ui.targetEdit->setDate(QDate(1999, 9, 9));
            m_ui.targetBox->setChecked(true);
        }

        // The alarm box shows the item's alarm, so that OK keeps it.
        const auto alarm = alarmText.isEmpty() ? std::nullopt : Regional::textToTime(QStringView(alarmText));
        m_ui.alarmTimeEdit->setTime(alarm.value_or(now.time()));
        m_ui.alarmBox->setChecked(alarm.has_value());
    }
    updateDateInControl();
    updateTargetControls();
    m_dateInTouched = m_targetTouched = m_timeTouched = false;

    m_ui.actionEdit->setPlainText(m_item.actionText());
    const QString priority = m_item.valueText(ToDoItem::Priority);
    m_ui.priorityEdit->setText(priority);
    {
        const QSignalBlocker block(m_ui.prioritySpin);
        m_ui.prioritySpin->setValue(qBound(0, priority.toInt(), 10));
    }
    m_ui.remarksEdit->setPlainText(m_item.valueText(ToDoItem::Remarks));
    // A location naming a missing file (an unplugged drive) is shown as it is.
    m_ui.locationEdit->setText(m_item.valueText(ToDoItem::FileLocation));
    m_ui.completedBox->setChecked(m_item.checked());

    m_ui.ownerCombo->setNames(m_ownerNames, m_item.valueText(ToDoItem::Owner));
    m_ui.projectCombo->setNames(m_projectNames, m_item.valueText(ToDoItem::ProjectName));

    setIniFileName(m_iniFileName);
    // The language routine: every box caption gets its text, replaced by the file or not.
    LanguageTexts& texts = LanguageTexts::shared();
    if (texts.load(m_iniFileName, LanguageTexts::Window::Editor)) {
        static const char* const keys[] = {"Frame0", "Frame1", "Frame2", "Frame3", "Frame4", "Frame5"};
        for (int i = 0; i < 6; ++i)
            setGroupCaption(i, texts.text("Add_Edit", keys[i]));
    }
    setWindowTitle(m_formCaption);
    m_activated = true;
    applyMemoLook();
    m_ui.actionEdit->setFocus();
}

void ItemEditorDialog::applyMemoLook()
{
    const QList<QWidget*> fields = {m_ui.actionEdit,   m_ui.remarksEdit, m_ui.priorityEdit,
                                    m_ui.locationEdit, m_ui.ownerCombo,  m_ui.projectCombo,
                                    m_ui.dateInEdit,   m_ui.targetEdit,  m_ui.alarmTimeEdit};
    for (QWidget* w : fields) {
        QPalette pal = w->palette();
        if (m_memoColor.isValid())
            pal.setColor(QPalette::Base, m_memoColor);
        w->setPalette(pal);
    }
    for (QPlainTextEdit* memo : {m_ui.actionEdit, m_ui.remarksEdit}) {
        QFont f = font();
        if (!m_memoFontName.isEmpty())
            f.setFamily(m_memoFontName);
        memo->setFont(f);
    }
}

bool ItemEditorDialog::checkEncodable(const QStringList& texts)
{
    QString unmappable;
    for (const QString& text : texts) {
        for (const QChar c : CodePage::encode(text).unmappable) {
            if (!unmappable.contains(c))
                unmappable += c;
        }
    }
    if (unmappable.isEmpty())
        return true;
    MessageBox::information(this, UnmappableText(unmappable));
    return false;
}

void ItemEditorDialog::OKButtClick()
{
    // An item needs an Action: say so and keep what was typed, rather than dropping it all.
    if (m_ui.actionEdit->toPlainText().trimmed().isEmpty()) {
        MessageBox::information(this, LanguageTexts::shared().text("Messages", "ActionNeeded"));
        m_ui.actionEdit->setFocus();
        return;
    }
    // A text the list file cannot hold would be damaged on saving: say so and let the user change it.
    if (!checkEncodable({memoText(m_ui.actionEdit, m_item.actionText()), m_ui.priorityEdit->text(),
                         memoText(m_ui.remarksEdit, m_item.valueText(ToDoItem::Remarks)),
                         m_ui.ownerCombo->currentText(), m_ui.projectCombo->currentText(), chosenLocation()}))
        return;
    m_result = itemFromControls();
    accept();
}

bool ItemEditorDialog::changedByUser() const
{
    if (!m_activated)
        return false;
    const ToDoItem shown = itemFromControls();
    if (shown.checked() != m_item.checked() || shown.actionText() != m_item.actionText())
        return true;
    for (int k = 0; k < std::max(shown.valueCount(), m_item.valueCount()); ++k) {
        if (shown.valueText(k) != m_item.valueText(k))
            return true;
    }
    return false;
}

void ItemEditorDialog::reject()
{
    if (changedByUser() &&
        MessageBox::message(this, windowTitle(), LanguageTexts::shared().text("Messages", "DiscardEdit"),
                            MessageBox::Icon::Question, {MessageBox::Yes, MessageBox::No},
                            MessageBox::No) != MessageBox::Yes)
        return;
    QDialog::reject();
}

bool ItemEditorDialog::takeForSessionEnd()
{
    if (m_ui.actionEdit->toPlainText().trimmed().isEmpty())
        return false;
    m_result = itemFromControls();
    return true;
}

QString ItemEditorDialog::chosenLocation() const
{
    const QString stored = m_item.valueText(ToDoItem::FileLocation);
    const QString location = m_ui.locationEdit->text();
    // Browse picks only existing files; a typed path naming no file leaves the stored one as it was.
    if (!location.isEmpty() && location != stored && !fileExists(location))
        return stored;
    return location;
}

ToDoItem ItemEditorDialog::itemFromControls() const
{
    auto original = [this](int k) { return m_item.valueText(k); };
    const QString action = memoText(m_ui.actionEdit, m_item.actionText());
    const QString remarks = memoText(m_ui.remarksEdit, original(ToDoItem::Remarks));
    const QString location = chosenLocation();

    // An untouched picker gives back the text it was filled from, even one it could not read.
    auto pickedDate = [](const QDateEdit* picker, bool touched, const QString& text) {
        return !touched && !text.isEmpty() ? text : Regional::dateToText(picker->date());
    };
    const QString time = original(ToDoItem::AlarmTime);
    // An alarm needs a target date.
    const bool alarm = m_ui.targetBox->isChecked() && m_ui.alarmBox->isChecked();
    const bool timeKept = !m_timeTouched && Regional::textToTime(QStringView(time)).has_value();

    ToDoItem result = m_item;
    // A text the user did not change keeps its bytes as the file holds them.
    auto put = [&result](int k, const QString& text) {
        if (text != result.valueText(k))
            result.setValue(k, CodePage::encodeLossy(text));
    };
    if (action != result.actionText())
        result.setAction(CodePage::encodeLossy(action));
    put(ToDoItem::Priority, m_ui.priorityEdit->text());
    put(ToDoItem::DateIn, m_ui.useDateInBox->isChecked()
                              ? pickedDate(m_ui.dateInEdit, m_dateInTouched, original(ToDoItem::DateIn))
                              : QString());
    put(ToDoItem::Target, m_ui.targetBox->isChecked()
                              ? pickedDate(m_ui.targetEdit, m_targetTouched, original(ToDoItem::Target))
                              : QString());
    put(ToDoItem::Remarks, remarks);
    put(ToDoItem::Owner, m_ui.ownerCombo->currentText());
    put(ToDoItem::ProjectName, m_ui.projectCombo->currentText());
    put(ToDoItem::AlarmTime, !alarm     ? QString()
                             : timeKept ? time
                                        : Regional::timeToText(m_ui.alarmTimeEdit->time()));
    put(ToDoItem::FileLocation, location);
    result.setChecked(m_ui.completedBox->isChecked());
    return result;
}

void ItemEditorDialog::ClearAllButClick()
{
    m_ui.actionEdit->clear();
    m_ui.remarksEdit->clear();
    m_ui.priorityEdit->clear();
    m_ui.completedBox->setChecked(false);
}

bool ItemEditorDialog::priorityKeyPress(QKeyEvent* event)
{
    const QString text = event->text();
    if (text.isEmpty() || (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
        return false;
    // Enter, Escape, Tab and Backspace do what they do everywhere in the dialog.
    const QChar c = text.at(0);
    if (!c.isPrint())
        return false;
    return !(c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

bool ItemEditorDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui.priorityEdit && event->type() == QEvent::KeyPress)
        return priorityKeyPress(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

void ItemEditorDialog::CbxUseDateClick()
{
    // An alarm needs a target date: without one the alarm box shows unticked, not ticked and ignored.
    if (!m_ui.targetBox->isChecked())
        m_ui.alarmBox->setChecked(false);
    updateDateInControl();
    m_ui.targetEdit->setEnabled(m_ui.targetBox->isChecked());
    m_ui.alarmTimeEdit->setEnabled(m_ui.alarmBox->isChecked());
}

void ItemEditorDialog::CbxAlarmClick()
{
    m_ui.alarmTimeEdit->setEnabled(m_ui.alarmBox->isChecked());
    if (m_ui.alarmBox->isChecked()) {
        m_ui.targetBox->setChecked(true);
        CbxUseDateClick();
    }
    m_ui.targetEdit->setEnabled(m_ui.targetBox->isChecked());
}

void ItemEditorDialog::DatePickClick()
{
    m_targetTouched = true;
    updateTargetControls();
}

void ItemEditorDialog::browseForDocument()
{
    const QString current = m_ui.locationEdit->text();
    const QString folder = fileExists(current) ? QFileInfo(current).absolutePath() : QString();
    const QString picked = FileDialog::getOpenFileName(
        this, LanguageTexts::shared().text("Hints_Edit", "BrowseTitle"), folder, QString());
    if (fileExists(picked))
        m_ui.locationEdit->setText(QFileInfo(picked).absoluteFilePath());
}

void ItemEditorDialog::updateTargetControls()
{
    m_ui.alarmTimeEdit->setEnabled(m_ui.alarmBox->isChecked());
    m_ui.targetEdit->setEnabled(m_ui.targetBox->isChecked());
}

void ItemEditorDialog::updateDateInControl()
{
    m_ui.dateInEdit->setEnabled(m_ui.useDateInBox->isChecked());
}
