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
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QSpinBox>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
// Design captions of the six group boxes; three of them are label rows spaced out above their controls.
const std::array<const char*, 6> kDesignCaptions = {
    "Add action",
    "Add Remarks",
    "  Priority   Status          Use Date in                     Date in      ",
    "                   Alarm                                                Target date         ",
    "Location",
    " Owner                  Project           Action:  Clear      Cancel        Go",
};

bool isLabelRow(int index)
{
    return index == 2 || index == 3 || index == 5;
}

QStringList captionWords(const QString& caption)
{
    static const QRegularExpression gaps(QStringLiteral("\\s{2,}"));
    QStringList words = caption.trimmed().split(gaps, Qt::SkipEmptyParts);
    for (QString& w : words)
        w = w.trimmed();
    return words;
}

// Hints are "short|long"; the short part is the tool tip, the long one the status tip.
void setHint(QWidget* w, const QString& hint)
{
    const QStringList parts = hint.split(QLatin1Char('|'));
    w->setToolTip(parts.value(0));
    w->setStatusTip(parts.size() > 1 ? parts.last() : parts.value(0));
}

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
    for (int i = 0; i < 6; ++i)
        setGroupCaption(i, QString::fromLatin1(kDesignCaptions[static_cast<size_t>(i)]));
}

ItemEditorDialog::~ItemEditorDialog() = default;

void ItemEditorDialog::createControls()
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(6, 6, 6, 6);
    top->setSpacing(4);
    top->setSizeConstraint(QLayout::SetFixedSize);

    auto named = [](auto* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };

    m_groupBoxes[0] = named(new QGroupBox(this), "GroupBox1");
    m_actionEdit = named(new QPlainTextEdit(m_groupBoxes[0]), "ActionEdit");
    m_actionEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_actionEdit->setTabChangesFocus(true);
    m_actionEdit->setFixedHeight(70);
    const LanguageTexts& texts = LanguageTexts::shared();
    auto hint = [&texts](const char* key) { return texts.text("Hints_Edit", key); };
    setHint(m_actionEdit, hint("Action"));
    (new QVBoxLayout(m_groupBoxes[0]))->addWidget(m_actionEdit);

    m_groupBoxes[1] = named(new QGroupBox(this), "GroupBox2");
    m_remarksEdit = named(new QPlainTextEdit(m_groupBoxes[1]), "RemarksEdit");
    m_remarksEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_remarksEdit->setTabChangesFocus(true);
    m_remarksEdit->setFixedHeight(56);
    setHint(m_remarksEdit, hint("Remarks"));
    (new QVBoxLayout(m_groupBoxes[1]))->addWidget(m_remarksEdit);

    const QString pickerHint = hint("Picker");
    m_groupBoxes[2] = named(new QGroupBox(this), "GroupBox3");
    QGridLayout* g3 = createLabelRow(m_groupBoxes[2], 2);
    m_priorityEdit = named(new QLineEdit(QStringLiteral("0"), m_groupBoxes[2]), "PriorityEdit");
    m_priorityEdit->setFixedWidth(40);
    m_priorityEdit->installEventFilter(this);
    setHint(m_priorityEdit, hint("Priority"));
    m_prioritySpin = named(new QSpinBox(m_groupBoxes[2]), "PrioritySpin");
    m_prioritySpin->setRange(0, 10);
    // Only the arrows show: the number is typed into m_priorityEdit, where it is not limited to the arrows'
    // range.
    m_prioritySpin->setFixedWidth(20);
    m_prioritySpin->setFocusPolicy(Qt::NoFocus);
    auto* priorityBox = new QWidget(m_groupBoxes[2]);
    auto* priority = new QHBoxLayout(priorityBox);
    priority->setContentsMargins(0, 0, 0, 0);
    priority->setSpacing(0);
    priority->addWidget(m_priorityEdit);
    priority->addWidget(m_prioritySpin);
    m_completedBox = named(new QCheckBox(m_groupBoxes[2]), "CbxStatus");
    setHint(m_completedBox, hint("Done"));
    m_useDateInBox = named(new QCheckBox(m_groupBoxes[2]), "CbxUseDate");
    m_useDateInBox->setChecked(true);
    m_dateInEdit = named(new QDateEdit(m_groupBoxes[2]), "PickDateIn");
    g3->addWidget(priorityBox, 1, 0, Qt::AlignHCenter);
    for (int c = 0; c < 3; ++c)
        g3->setColumnStretch(c, 1);
    g3->setColumnStretch(3, 2);
    g3->addWidget(m_completedBox, 1, 1, Qt::AlignHCenter);
    g3->addWidget(m_useDateInBox, 1, 2, Qt::AlignHCenter);
    g3->addWidget(m_dateInEdit, 1, 3);

    m_groupBoxes[3] = named(new QGroupBox(this), "GroupBox4");
    QGridLayout* g4 = createLabelRow(m_groupBoxes[3], 3);
    m_alarmBox = named(new QCheckBox(m_groupBoxes[3]), "CbxAlarm");
    m_alarmTimeEdit = named(new QTimeEdit(m_groupBoxes[3]), "TimePick");
    m_alarmTimeEdit->setEnabled(false);
    m_targetBox = named(new QCheckBox(m_groupBoxes[3]), "CbxEndDate");
    m_targetBox->setChecked(true);
    m_targetEdit = named(new QDateEdit(m_groupBoxes[3]), "DatePick");
    auto* alarmPair = new QHBoxLayout;
    alarmPair->addWidget(m_alarmBox);
    alarmPair->addWidget(m_alarmTimeEdit, 1);
    auto* targetPair = new QHBoxLayout;
    targetPair->addWidget(m_targetBox);
    targetPair->addWidget(m_targetEdit, 1);
    g4->addLayout(alarmPair, 1, 0);
    g4->addLayout(targetPair, 1, 1);

    for (QDateEdit* picker : {m_dateInEdit, m_targetEdit}) {
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(Regional::shortDateFormat());
        setHint(picker, pickerHint);
    }
    m_alarmTimeEdit->setDisplayFormat(Regional::longTimeFormat());
    setHint(m_alarmTimeEdit, pickerHint);

    m_groupBoxes[4] = named(new QGroupBox(this), "GroupBox5");
    m_locationEdit = named(new QLineEdit(m_groupBoxes[4]), "EdtLocation");
    m_browseButton = named(new QToolButton(m_groupBoxes[4]), "BrowseButton");
    m_browseButton->setText(QStringLiteral("..."));
    m_browseButton->setToolTip(hint("Browse"));
    auto* g5 = new QHBoxLayout(m_groupBoxes[4]);
    g5->addWidget(m_locationEdit, 1);
    g5->addWidget(m_browseButton);

    m_groupBoxes[5] = named(new QGroupBox(this), "GroupBox6");
    QGridLayout* g6 = createLabelRow(m_groupBoxes[5], 5);
    m_ownerCombo = named(new NameComboBox(m_groupBoxes[5]), "OwnerCombo");
    m_projectCombo = named(new NameComboBox(m_groupBoxes[5]), "ProjectCombo");
    m_clearButton = named(new QPushButton(m_groupBoxes[5]), "ClearAllBut");
    m_cancelButton = named(new QPushButton(m_groupBoxes[5]), "CancelBut");
    m_okButton = named(new QPushButton(m_groupBoxes[5]), "OKButt");
    m_okButton->setDefault(true);
    setHint(m_clearButton, hint("Clear"));
    setHint(m_cancelButton, hint("Cancel"));
    setHint(m_okButton, hint("OK"));
    g6->addWidget(m_ownerCombo, 1, 0);
    g6->addWidget(m_projectCombo, 1, 1);
    g6->addWidget(m_clearButton, 1, 3);
    g6->addWidget(m_cancelButton, 1, 4);
    g6->addWidget(m_okButton, 1, 5);
    g6->setColumnStretch(0, 3);
    g6->setColumnStretch(1, 3);

    // Items of the owner pop-up: AddText1, DeleteItem, ClearAllMenu; of the project pop-up: MenuItem1 to
    // MenuItem3.
    m_ownerCombo->menu()->setObjectName(QStringLiteral("ComboPop"));
    m_projectCombo->menu()->setObjectName(QStringLiteral("ProjectPop"));
    const std::array<const char*, 3> ownerItems = {"AddText1", "DeleteItem", "ClearAllMenu"};
    const std::array<const char*, 3> projectItems = {"MenuItem1", "MenuItem2", "MenuItem3"};
    for (size_t i = 0; i < 3; ++i) {
        m_ownerCombo->menu()
            ->actions()
            .at(static_cast<int>(i))
            ->setObjectName(QString::fromLatin1(ownerItems[i]));
        m_projectCombo->menu()
            ->actions()
            .at(static_cast<int>(i))
            ->setObjectName(QString::fromLatin1(projectItems[i]));
    }
    for (NameComboBox* box : {m_ownerCombo, m_projectCombo}) {
        setHint(box, hint("Names"));
        box->setNameCheck([this](const QString& name) { return checkEncodable({name}); });
    }

    for (QGroupBox* box : m_groupBoxes) {
        box->setMinimumWidth(361);
        top->addWidget(box);
    }

    // Ctrl+Enter takes the item from any field, the multi-line ones too (where Enter starts a new line);
    // elsewhere Enter reaches the default button.
    for (const QKeyCombination key : {Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter}) {
        auto* accept = new QShortcut(QKeySequence(key), this);
        connect(accept, &QShortcut::activated, this, &ItemEditorDialog::OKButtClick);
    }
    connect(m_okButton, &QPushButton::clicked, this, &ItemEditorDialog::OKButtClick);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_clearButton, &QPushButton::clicked, this, &ItemEditorDialog::ClearAllButClick);
    connect(m_useDateInBox, &QCheckBox::clicked, this, &ItemEditorDialog::CbxUseDateClick);
    connect(m_targetBox, &QCheckBox::clicked, this, &ItemEditorDialog::CbxUseDateClick);
    connect(m_alarmBox, &QCheckBox::clicked, this, &ItemEditorDialog::CbxAlarmClick);
    connect(m_targetEdit, &QDateEdit::dateChanged, this, &ItemEditorDialog::DatePickClick);
    connect(m_alarmTimeEdit, &QTimeEdit::timeChanged, this, [this] { m_timeTouched = true; });
    connect(m_dateInEdit, &QDateEdit::dateChanged, this, [this] { m_dateInTouched = true; });
    connect(m_browseButton, &QToolButton::clicked, this, &ItemEditorDialog::browseForDocument);
    connect(m_prioritySpin, &QSpinBox::valueChanged, this,
            [this](int v) { m_priorityEdit->setText(QString::number(v)); });
    connect(m_priorityEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        // Pasted text is filtered like typed text: only its digits stay.
        QString digits;
        for (const QChar c : text) {
            if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                digits += c;
        }
        if (digits != text) {
            const int cursor = m_priorityEdit->cursorPosition() - int(text.size() - digits.size());
            m_priorityEdit->setText(digits);
            m_priorityEdit->setCursorPosition(qMax(0, cursor));
        }
        const QSignalBlocker block(m_prioritySpin);
        m_prioritySpin->setValue(qBound(0, digits.toInt(), 10));
    });
}

QGridLayout* ItemEditorDialog::createLabelRow(QGroupBox* box, int index)
{
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(6, 2, 6, 6);
    grid->setVerticalSpacing(2);
    const int columns = index == 3 ? 2 : index == 2 ? 4 : 6;
    for (int c = 0; c < columns; ++c) {
        auto* label = new QLabel(box);
        grid->addWidget(label, 0, c, index == 3 ? Qt::AlignLeft : Qt::AlignHCenter);
        m_captionLabels[static_cast<size_t>(index)].append(label);
    }
    return grid;
}

void ItemEditorDialog::setGroupCaption(int index, const QString& caption)
{
    if (index < 0 || index > 5)
        return;
    m_groupCaptions[static_cast<size_t>(index)] = caption;
    if (!isLabelRow(index)) {
        m_groupBoxes[static_cast<size_t>(index)]->setTitle(caption);
        return;
    }
    // The caption's words stand above the controls; in the last box the words after "Action:" name the
    // three buttons. A language file names only two of them ("Owner Project Cancel OK"): the label
    // "Action:" and the Clear button then keep their texts.
    QStringList words = captionWords(caption);
    if (index == 5 && words.size() == 4) {
        const QStringList design = captionWords(QString::fromLatin1(kDesignCaptions[5]));
        words = QStringList{words[0], words[1], design.value(2), design.value(3), words[2], words[3]};
    }
    const QList<QLabel*>& labels = m_captionLabels[static_cast<size_t>(index)];
    if (index == 5) {
        labels[0]->setText(words.value(0));
        labels[1]->setText(words.value(1));
        auto* grid = static_cast<QGridLayout*>(m_groupBoxes[5]->layout());
        grid->removeWidget(labels[2]);
        grid->addWidget(labels[2], 1, 2, Qt::AlignRight | Qt::AlignVCenter);
        labels[2]->setText(words.value(2));
        labels[3]->hide();
        labels[4]->hide();
        labels[5]->hide();
        m_clearButton->setText(words.value(3, QStringLiteral("Clear")));
        m_cancelButton->setText(words.value(4, QStringLiteral("Cancel")));
        m_okButton->setText(words.value(5, QStringLiteral("Go")));
        return;
    }
    for (int i = 0; i < labels.size(); ++i)
        labels[i]->setText(words.value(i));
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
    return m_activated ? m_ownerCombo->names() : m_ownerNames;
}

QByteArrayList ItemEditorDialog::projectNames() const
{
    return m_activated ? m_projectCombo->names() : m_projectNames;
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
        const QSignalBlocker b1(m_dateInEdit), b2(m_targetEdit), b3(m_alarmTimeEdit);

        m_useDateInBox->setChecked(!dateIn.isEmpty());
        m_dateInEdit->setDate(Regional::textToDate(QStringView(dateIn)).value_or(now.date()));

        if (target.isEmpty()) {
            m_targetBox->setChecked(false);
            m_targetEdit->setDate(now.date().addDays(1));
        } else if (const auto day = Regional::textToDate(QStringView(target))) {
            m_targetEdit->setDate(*day);
            m_targetBox->setChecked(true);
        } else {
            m_targetEdit->setDate(QDate(1999, 9, 9));
            m_targetBox->setChecked(true);
        }

        // The alarm box shows the item's alarm, so that OK keeps it.
        const auto alarm = alarmText.isEmpty() ? std::nullopt : Regional::textToTime(QStringView(alarmText));
        m_alarmTimeEdit->setTime(alarm.value_or(now.time()));
        m_alarmBox->setChecked(alarm.has_value());
    }
    updateDateInControl();
    updateTargetControls();
    m_dateInTouched = m_targetTouched = m_timeTouched = false;

    m_actionEdit->setPlainText(m_item.actionText());
    const QString priority = m_item.valueText(ToDoItem::Priority);
    m_priorityEdit->setText(priority);
    {
        const QSignalBlocker block(m_prioritySpin);
        m_prioritySpin->setValue(qBound(0, priority.toInt(), 10));
    }
    m_remarksEdit->setPlainText(m_item.valueText(ToDoItem::Remarks));
    // A location naming a missing file (an unplugged drive) is shown as it is.
    m_locationEdit->setText(m_item.valueText(ToDoItem::FileLocation));
    m_completedBox->setChecked(m_item.checked());

    m_ownerCombo->setNames(m_ownerNames, m_item.valueText(ToDoItem::Owner));
    m_projectCombo->setNames(m_projectNames, m_item.valueText(ToDoItem::ProjectName));

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
    m_actionEdit->setFocus();
}

void ItemEditorDialog::applyMemoLook()
{
    const QList<QWidget*> fields = {m_actionEdit,   m_remarksEdit, m_priorityEdit,
                                    m_locationEdit, m_ownerCombo,  m_projectCombo,
                                    m_dateInEdit,   m_targetEdit,  m_alarmTimeEdit};
    for (QWidget* w : fields) {
        QPalette pal = w->palette();
        if (m_memoColor.isValid())
            pal.setColor(QPalette::Base, m_memoColor);
        w->setPalette(pal);
    }
    for (QPlainTextEdit* memo : {m_actionEdit, m_remarksEdit}) {
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
    if (m_actionEdit->toPlainText().trimmed().isEmpty()) {
        MessageBox::information(this, LanguageTexts::shared().text("Messages", "ActionNeeded"));
        m_actionEdit->setFocus();
        return;
    }
    // A text the list file cannot hold would be damaged on saving: say so and let the user change it.
    if (!checkEncodable({memoText(m_actionEdit, m_item.actionText()), m_priorityEdit->text(),
                         memoText(m_remarksEdit, m_item.valueText(ToDoItem::Remarks)),
                         m_ownerCombo->currentText(), m_projectCombo->currentText(), chosenLocation()}))
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
    if (m_actionEdit->toPlainText().trimmed().isEmpty())
        return false;
    m_result = itemFromControls();
    return true;
}

QString ItemEditorDialog::chosenLocation() const
{
    const QString stored = m_item.valueText(ToDoItem::FileLocation);
    const QString location = m_locationEdit->text();
    // Browse picks only existing files; a typed path naming no file leaves the stored one as it was.
    if (!location.isEmpty() && location != stored && !fileExists(location))
        return stored;
    return location;
}

ToDoItem ItemEditorDialog::itemFromControls() const
{
    auto original = [this](int k) { return m_item.valueText(k); };
    const QString action = memoText(m_actionEdit, m_item.actionText());
    const QString remarks = memoText(m_remarksEdit, original(ToDoItem::Remarks));
    const QString location = chosenLocation();

    // An untouched picker gives back the text it was filled from, even one it could not read.
    auto pickedDate = [](const QDateEdit* picker, bool touched, const QString& text) {
        return !touched && !text.isEmpty() ? text : Regional::dateToText(picker->date());
    };
    const QString time = original(ToDoItem::AlarmTime);
    // An alarm needs a target date.
    const bool alarm = m_targetBox->isChecked() && m_alarmBox->isChecked();
    const bool timeKept = !m_timeTouched && Regional::textToTime(QStringView(time)).has_value();

    ToDoItem result = m_item;
    // A text the user did not change keeps its bytes as the file holds them.
    auto put = [&result](int k, const QString& text) {
        if (text != result.valueText(k))
            result.setValue(k, CodePage::encodeLossy(text));
    };
    if (action != result.actionText())
        result.setAction(CodePage::encodeLossy(action));
    put(ToDoItem::Priority, m_priorityEdit->text());
    put(ToDoItem::DateIn, m_useDateInBox->isChecked()
                              ? pickedDate(m_dateInEdit, m_dateInTouched, original(ToDoItem::DateIn))
                              : QString());
    put(ToDoItem::Target, m_targetBox->isChecked()
                              ? pickedDate(m_targetEdit, m_targetTouched, original(ToDoItem::Target))
                              : QString());
    put(ToDoItem::Remarks, remarks);
    put(ToDoItem::Owner, m_ownerCombo->currentText());
    put(ToDoItem::ProjectName, m_projectCombo->currentText());
    put(ToDoItem::AlarmTime, !alarm     ? QString()
                             : timeKept ? time
                                        : Regional::timeToText(m_alarmTimeEdit->time()));
    put(ToDoItem::FileLocation, location);
    result.setChecked(m_completedBox->isChecked());
    return result;
}

void ItemEditorDialog::ClearAllButClick()
{
    m_actionEdit->clear();
    m_remarksEdit->clear();
    m_priorityEdit->clear();
    m_completedBox->setChecked(false);
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
    if (watched == m_priorityEdit && event->type() == QEvent::KeyPress)
        return priorityKeyPress(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

void ItemEditorDialog::CbxUseDateClick()
{
    // An alarm needs a target date: without one the alarm box shows unticked, not ticked and ignored.
    if (!m_targetBox->isChecked())
        m_alarmBox->setChecked(false);
    updateDateInControl();
    m_targetEdit->setEnabled(m_targetBox->isChecked());
    m_alarmTimeEdit->setEnabled(m_alarmBox->isChecked());
}

void ItemEditorDialog::CbxAlarmClick()
{
    m_alarmTimeEdit->setEnabled(m_alarmBox->isChecked());
    if (m_alarmBox->isChecked()) {
        m_targetBox->setChecked(true);
        CbxUseDateClick();
    }
    m_targetEdit->setEnabled(m_targetBox->isChecked());
}

void ItemEditorDialog::DatePickClick()
{
    m_targetTouched = true;
    updateTargetControls();
}

void ItemEditorDialog::browseForDocument()
{
    const QString current = m_locationEdit->text();
    const QString folder = fileExists(current) ? QFileInfo(current).absolutePath() : QString();
    const QString picked = FileDialog::getOpenFileName(
        this, LanguageTexts::shared().text("Hints_Edit", "BrowseTitle"), folder, QString());
    if (fileExists(picked))
        m_locationEdit->setText(QFileInfo(picked).absoluteFilePath());
}

void ItemEditorDialog::updateTargetControls()
{
    m_alarmTimeEdit->setEnabled(m_alarmBox->isChecked());
    m_targetEdit->setEnabled(m_targetBox->isChecked());
}

void ItemEditorDialog::updateDateInControl()
{
    m_dateInEdit->setEnabled(m_useDateInBox->isChecked());
}
