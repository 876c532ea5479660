#include "dialogs/TToDoDlgFrm.h"

#include "config/Paths.h"
#include "dialogs/FileDialog.h"
#include "dialogs/MessageBox.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include <QCheckBox>
#include <QComboBox>
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

TToDoDlgFrm::TToDoDlgFrm(QByteArrayList* ownerNames, QByteArrayList* projectNames, QWidget* parent)
    : QDialog(parent), m_ownerNames(ownerNames), m_projectNames(projectNames)
{
    setObjectName(QStringLiteral("ToDoDlgFrm"));
    createControls();
    for (int i = 0; i < 6; ++i)
        setGroupCaption(i, QString::fromLatin1(kDesignCaptions[static_cast<size_t>(i)]));
}

TToDoDlgFrm::~TToDoDlgFrm()
{
    // The combo boxes hold the names only once the dialog has been filled; a dialog that was never shown
    // must not empty the lists.
    if (!m_activated)
        return;
    writeBackNames(OwnerCombo, m_ownerNames);
    writeBackNames(ProjectCombo, m_projectNames);
}

void TToDoDlgFrm::createControls()
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

    GroupBox1 = named(new QGroupBox(this), "GroupBox1");
    Memo1 = named(new QPlainTextEdit(GroupBox1), "Memo1");
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);
    Memo1->setFixedHeight(70);
    setHint(Memo1, QStringLiteral("Write the proposed action in this field|Write the proposed action in this "
                                  "field. \"Return\" Key allowed."));
    (new QVBoxLayout(GroupBox1))->addWidget(Memo1);

    GroupBox2 = named(new QGroupBox(this), "GroupBox2");
    Memo2 = named(new QPlainTextEdit(GroupBox2), "Memo2");
    Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo2->setTabChangesFocus(true);
    Memo2->setFixedHeight(56);
    setHint(Memo2, QStringLiteral("Write the proposed action remaks in this field|Write the proposed action "
                                  "remarks in this field. \"Return\" Key allowed."));
    (new QVBoxLayout(GroupBox2))->addWidget(Memo2);

    const QString pickerHint =
        QStringLiteral("Click to change destination date|Click to change destination date.");
    GroupBox3 = named(new QGroupBox(this), "GroupBox3");
    QGridLayout* g3 = createLabelRow(GroupBox3, 2);
    Edit2 = named(new QLineEdit(QStringLiteral("0"), GroupBox3), "Edit2");
    Edit2->setFixedWidth(40);
    Edit2->installEventFilter(this);
    setHint(Edit2,
            QStringLiteral("Enter the priority ot the desired task|Enter the priority ot the desired task"));
    UpDown1 = named(new QSpinBox(GroupBox3), "UpDown1");
    UpDown1->setRange(0, 10);
    // Only the arrows show: the number is typed into Edit2, where it is not limited to the arrows' range.
    UpDown1->setFixedWidth(20);
    UpDown1->setFocusPolicy(Qt::NoFocus);
    auto* priorityBox = new QWidget(GroupBox3);
    auto* priority = new QHBoxLayout(priorityBox);
    priority->setContentsMargins(0, 0, 0, 0);
    priority->setSpacing(0);
    priority->addWidget(Edit2);
    priority->addWidget(UpDown1);
    CbxStatus = named(new QCheckBox(GroupBox3), "CbxStatus");
    setHint(CbxStatus, QStringLiteral("Check to mark action as \"done\"|Check to mark action as \"done\""));
    CbxUseDate = named(new QCheckBox(GroupBox3), "CbxUseDate");
    CbxUseDate->setChecked(true);
    PickDateIn = named(new QDateEdit(GroupBox3), "PickDateIn");
    g3->addWidget(priorityBox, 1, 0, Qt::AlignHCenter);
    for (int c = 0; c < 3; ++c)
        g3->setColumnStretch(c, 1);
    g3->setColumnStretch(3, 2);
    g3->addWidget(CbxStatus, 1, 1, Qt::AlignHCenter);
    g3->addWidget(CbxUseDate, 1, 2, Qt::AlignHCenter);
    g3->addWidget(PickDateIn, 1, 3);

    GroupBox4 = named(new QGroupBox(this), "GroupBox4");
    QGridLayout* g4 = createLabelRow(GroupBox4, 3);
    CbxAlarm = named(new QCheckBox(GroupBox4), "CbxAlarm");
    TimePick = named(new QTimeEdit(GroupBox4), "TimePick");
    TimePick->setEnabled(false);
    CbxEndDate = named(new QCheckBox(GroupBox4), "CbxEndDate");
    CbxEndDate->setChecked(true);
    DatePick = named(new QDateEdit(GroupBox4), "DatePick");
    auto* alarmPair = new QHBoxLayout;
    alarmPair->addWidget(CbxAlarm);
    alarmPair->addWidget(TimePick, 1);
    auto* targetPair = new QHBoxLayout;
    targetPair->addWidget(CbxEndDate);
    targetPair->addWidget(DatePick, 1);
    g4->addLayout(alarmPair, 1, 0);
    g4->addLayout(targetPair, 1, 1);

    for (QDateEdit* picker : {PickDateIn, DatePick}) {
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(Regional::shortDateFormat());
        setHint(picker, pickerHint);
    }
    TimePick->setDisplayFormat(Regional::longTimeFormat());
    setHint(TimePick, pickerHint);

    GroupBox5 = named(new QGroupBox(this), "GroupBox5");
    EdtLocation = named(new QLineEdit(GroupBox5), "EdtLocation");
    SpeedButton1 = named(new QToolButton(GroupBox5), "SpeedButton1");
    SpeedButton1->setText(QStringLiteral("..."));
    SpeedButton1->setToolTip(tr("Choose the document that belongs to this item"));
    auto* g5 = new QHBoxLayout(GroupBox5);
    g5->addWidget(EdtLocation, 1);
    g5->addWidget(SpeedButton1);

    GroupBox6 = named(new QGroupBox(this), "GroupBox6");
    QGridLayout* g6 = createLabelRow(GroupBox6, 5);
    OwnerCombo = named(new QComboBox(GroupBox6), "OwnerCombo");
    ProjectCombo = named(new QComboBox(GroupBox6), "ProjectCombo");
    ClearAllBut = named(new QPushButton(GroupBox6), "ClearAllBut");
    CancelBut = named(new QPushButton(GroupBox6), "CancelBut");
    OKButt = named(new QPushButton(GroupBox6), "OKButt");
    OKButt->setDefault(true);
    setHint(ClearAllBut, QStringLiteral("Clear all|Clear all fields"));
    setHint(CancelBut, QStringLiteral("Cancel action|Cancel action"));
    setHint(OKButt, QStringLiteral("Create action|Create action"));
    g6->addWidget(OwnerCombo, 1, 0);
    g6->addWidget(ProjectCombo, 1, 1);
    g6->addWidget(ClearAllBut, 1, 3);
    g6->addWidget(CancelBut, 1, 4);
    g6->addWidget(OKButt, 1, 5);
    g6->setColumnStretch(0, 3);
    g6->setColumnStretch(1, 3);

    ComboPop = named(new QMenu(this), "ComboPop");
    ProjectPop = named(new QMenu(this), "ProjectPop");
    setupNameBox(OwnerCombo, ComboPop);
    setupNameBox(ProjectCombo, ProjectPop);
    // Items of ComboPop: AddText1, DeleteItem, ClearAllMenu; of ProjectPop: MenuItem1 to MenuItem3.
    const std::array<const char*, 3> ownerItems = {"AddText1", "DeleteItem", "ClearAllMenu"};
    const std::array<const char*, 3> projectItems = {"MenuItem1", "MenuItem2", "MenuItem3"};
    for (size_t i = 0; i < 3; ++i) {
        ComboPop->actions().at(static_cast<int>(i))->setObjectName(QString::fromLatin1(ownerItems[i]));
        ProjectPop->actions().at(static_cast<int>(i))->setObjectName(QString::fromLatin1(projectItems[i]));
    }

    for (QGroupBox* box : {GroupBox1, GroupBox2, GroupBox3, GroupBox4, GroupBox5, GroupBox6}) {
        box->setMinimumWidth(361);
        top->addWidget(box);
    }

    connect(OKButt, &QPushButton::clicked, this, &TToDoDlgFrm::OKButtClick);
    connect(CancelBut, &QPushButton::clicked, this, &TToDoDlgFrm::CancelButClick);
    connect(ClearAllBut, &QPushButton::clicked, this, &TToDoDlgFrm::ClearAllButClick);
    connect(CbxUseDate, &QCheckBox::clicked, this, &TToDoDlgFrm::CbxUseDateClick);
    connect(CbxEndDate, &QCheckBox::clicked, this, &TToDoDlgFrm::CbxUseDateClick);
    connect(CbxAlarm, &QCheckBox::clicked, this, &TToDoDlgFrm::CbxAlarmClick);
    connect(DatePick, &QDateEdit::dateChanged, this, &TToDoDlgFrm::DatePickClick);
    connect(TimePick, &QTimeEdit::timeChanged, this, &TToDoDlgFrm::TimePickChange);
    connect(PickDateIn, &QDateEdit::dateChanged, this, [this] { m_dateInTouched = true; });
    connect(SpeedButton1, &QToolButton::clicked, this, &TToDoDlgFrm::SpeedButton1Click);
    connect(UpDown1, &QSpinBox::valueChanged, this, [this](int v) { Edit2->setText(QString::number(v)); });
    connect(Edit2, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QSignalBlocker block(UpDown1);
        UpDown1->setValue(qBound(0, text.toInt(), 10));
    });
}

QGridLayout* TToDoDlgFrm::createLabelRow(QGroupBox* box, int index)
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

void TToDoDlgFrm::setGroupCaption(int index, const QString& caption)
{
    if (index < 0 || index > 5)
        return;
    m_groupCaptions[static_cast<size_t>(index)] = caption;
    QGroupBox* boxes[] = {GroupBox1, GroupBox2, GroupBox3, GroupBox4, GroupBox5, GroupBox6};
    if (!isLabelRow(index)) {
        boxes[index]->setTitle(caption);
        return;
    }
    // The caption's words stand above the controls; in the last box the words after "Action:" name the
    // three buttons.
    const QStringList words = captionWords(caption);
    const QList<QLabel*>& labels = m_captionLabels[static_cast<size_t>(index)];
    if (index == 5) {
        labels[0]->setText(words.value(0));
        labels[1]->setText(words.value(1));
        auto* grid = static_cast<QGridLayout*>(GroupBox6->layout());
        grid->removeWidget(labels[2]);
        grid->addWidget(labels[2], 1, 2, Qt::AlignRight | Qt::AlignVCenter);
        labels[2]->setText(words.value(2));
        labels[3]->hide();
        labels[4]->hide();
        labels[5]->hide();
        ClearAllBut->setText(words.value(3, QStringLiteral("Clear")));
        CancelBut->setText(words.value(4, QStringLiteral("Cancel")));
        OKButt->setText(words.value(5, QStringLiteral("Go")));
        return;
    }
    for (int i = 0; i < labels.size(); ++i)
        labels[i]->setText(words.value(i));
}

void TToDoDlgFrm::setupNameBox(QComboBox* box, QMenu* menu)
{
    box->setEditable(true);
    // Entries are added by the pop-up menu and the Enter key only, never by the combo box itself.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumContentsLength(6);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setHint(box, QStringLiteral("Owner list|Enter action owner by click with RM or Enter Key."));
    box->lineEdit()->installEventFilter(this);
    QAction* add = menu->addAction(tr("Add Text"), this, [this, box] { addNameText(box); });
    add->setStatusTip(tr("Add Text from Edit Box"));
    menu->addAction(tr("Delete Item"), this, [this, box] { deleteNameItem(box); })
        ->setStatusTip(tr("Delete Item"));
    menu->addAction(tr("Clear All"), this, [this, box] { clearNameItems(box); });
    for (QWidget* w : {static_cast<QWidget*>(box), static_cast<QWidget*>(box->lineEdit())}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [w, menu](const QPoint& pos) { menu->popup(w->mapToGlobal(pos)); });
    }
}

void TToDoDlgFrm::setIniFileName(const QString& path)
{
    m_iniFileName = fileExists(path) ? path : FallbackIniPath();
}

void TToDoDlgFrm::setFormCaption(const QString& caption)
{
    m_formCaption = caption;
    if (m_activated)
        setWindowTitle(caption);
}

void TToDoDlgFrm::setMemocolor(const QColor& color)
{
    m_memoColor = color;
    if (m_activated)
        applyMemoLook();
}

void TToDoDlgFrm::setMemoFontnAME(const QString& name)
{
    m_memoFontName = name;
    if (m_activated)
        applyMemoLook();
}

void TToDoDlgFrm::clearValues()
{
    A_Action.clear();
    A_Priority.clear();
    A_TDate.clear();
    A_Date.clear();
    A_Remarks.clear();
    A_Owner.clear();
    A_Project.clear();
    A_Time.clear();
    A_Location.clear();
    A_Status = false;
}

void TToDoDlgFrm::showEvent(QShowEvent* event)
{
    // Filled once: activating the dialog again (after the file dialog, say) must not undo the user's edits.
    if (!m_activated)
        FormActivate();
    QDialog::showEvent(event);
}

void TToDoDlgFrm::FormActivate()
{
    if (m_activated)
        return;
    const QDateTime now = Clock::now();
    {
        // Filling is not the user changing the pickers.
        const QSignalBlocker b1(PickDateIn), b2(DatePick), b3(TimePick);

        CbxUseDate->setChecked(!A_Date.isEmpty());
        PickDateIn->setDate(Regional::textToDate(QStringView(A_Date)).value_or(now.date()));

        if (A_TDate.isEmpty()) {
            CbxEndDate->setChecked(false);
            DatePick->setDate(now.date().addDays(1));
        } else if (const auto target = Regional::textToDate(QStringView(A_TDate))) {
            DatePick->setDate(*target);
            CbxEndDate->setChecked(true);
        } else {
            DatePick->setDate(QDate(1999, 9, 9));
            CbxEndDate->setChecked(true);
        }

        // The alarm box shows the item's alarm, so that OK keeps it.
        const auto alarm = A_Time.isEmpty() ? std::nullopt : Regional::textToTime(QStringView(A_Time));
        TimePick->setTime(alarm.value_or(now.time()));
        CbxAlarm->setChecked(alarm.has_value());
    }
    Action2Execute();
    Action1Execute();
    m_dateInTouched = m_targetTouched = m_timeTouched = false;

    Memo1->setPlainText(A_Action);
    Edit2->setText(A_Priority);
    {
        const QSignalBlocker block(UpDown1);
        UpDown1->setValue(qBound(0, A_Priority.toInt(), 10));
    }
    Memo2->setPlainText(A_Remarks);
    // A location naming a missing file (an unplugged drive) is shown as it is.
    EdtLocation->setText(A_Location);
    CbxStatus->setChecked(A_Status);

    A_UseTDate = CbxEndDate->isChecked();
    A_UseTime = CbxEndDate->isChecked() && CbxAlarm->isChecked();

    fillNames(OwnerCombo, m_ownerNames, A_Owner);
    fillNames(ProjectCombo, m_projectNames, A_Project);

    setIniFileName(m_iniFileName);
    setWindowTitle(m_formCaption);
    m_activated = true;
    applyMemoLook();
    Memo1->setFocus();
}

void TToDoDlgFrm::fillNames(QComboBox* box, const QByteArrayList* names, const QString& current)
{
    box->clear();
    if (names) {
        for (const QByteArray& name : *names)
            box->addItem(CodePage::decode(name));
    }
    // An owner or project that is not in the list is still the item's: show it as the box's text.
    const int found = current.isEmpty() ? -1 : box->findText(current, Qt::MatchFixedString);
    box->setCurrentIndex(found);
    if (found < 0)
        box->setEditText(current);
}

void TToDoDlgFrm::writeBackNames(QComboBox* box, QByteArrayList* names) const
{
    if (!names)
        return;
    names->clear();
    // Entries were checked against the code page when they were added.
    for (int i = 0; i < box->count(); ++i)
        names->append(CodePage::encodeLossy(box->itemText(i)));
}

void TToDoDlgFrm::applyMemoLook()
{
    const QList<QWidget*> fields = {Memo1,        Memo2,      Edit2,    EdtLocation, OwnerCombo,
                                    ProjectCombo, PickDateIn, DatePick, TimePick};
    for (QWidget* w : fields) {
        QPalette pal = w->palette();
        if (m_memoColor.isValid())
            pal.setColor(QPalette::Base, m_memoColor);
        w->setPalette(pal);
    }
    for (QPlainTextEdit* memo : {Memo1, Memo2}) {
        QFont f = font();
        if (!m_memoFontName.isEmpty())
            f.setFamily(m_memoFontName);
        memo->setFont(f);
    }
}

bool TToDoDlgFrm::checkEncodable(const QStringList& texts)
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
    MessageBox::information(this, CodePage::unmappableMessage(unmappable));
    return false;
}

void TToDoDlgFrm::OKButtClick()
{
    if (Memo1->toPlainText().isEmpty()) {
        reject();
        return;
    }
    const QString action = memoText(Memo1, A_Action);
    const QString remarks = memoText(Memo2, A_Remarks);
    QString location = EdtLocation->text();
    // Browse picks only existing files; a typed path naming no file leaves the stored one as it was.
    if (!location.isEmpty() && location != A_Location && !fileExists(location))
        location = A_Location;
    // A text the list file cannot hold would be damaged on saving: say so and let the user change it.
    if (!checkEncodable({action, Edit2->text(), remarks, OwnerCombo->currentText(),
                         ProjectCombo->currentText(), location}))
        return;

    // An untouched picker gives back the text it was filled from, even one it could not read.
    auto pickedDate = [](const QDateEdit* picker, bool touched, const QString& original) {
        return !touched && !original.isEmpty() ? original : Regional::dateToText(picker->date());
    };
    A_Action = action;
    A_Priority = Edit2->text();
    A_Date = CbxUseDate->isChecked() ? pickedDate(PickDateIn, m_dateInTouched, A_Date) : QString();
    A_TDate = CbxEndDate->isChecked() ? pickedDate(DatePick, m_targetTouched, A_TDate) : QString();
    // An alarm needs a target date.
    const bool alarm = CbxEndDate->isChecked() && CbxAlarm->isChecked();
    const bool timeKept = !m_timeTouched && Regional::textToTime(QStringView(A_Time)).has_value();
    A_Time = !alarm ? QString() : timeKept ? A_Time : Regional::timeToText(TimePick->time());
    A_Remarks = remarks;
    A_Status = CbxStatus->isChecked();
    A_Owner = OwnerCombo->currentText();
    A_Project = ProjectCombo->currentText();
    A_Location = location;
    A_UseTDate = CbxEndDate->isChecked();
    A_UseTime = alarm;
    accept();
}

void TToDoDlgFrm::CancelButClick()
{
    reject();
}

void TToDoDlgFrm::ClearAllButClick()
{
    Memo1->clear();
    Memo2->clear();
    Edit2->clear();
    CbxStatus->setChecked(false);
}

bool TToDoDlgFrm::Edit2KeyPress(QKeyEvent* event)
{
    const QString text = event->text();
    if (text.isEmpty() || (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
        return false;
    const QChar c = text.at(0);
    if (c == QLatin1Char('\t'))
        return false;
    return !((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('\b'));
}

bool TToDoDlgFrm::OwnerComboKeyDown(QComboBox* box, QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    addNameText(box);
    return true;
}

bool TToDoDlgFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == Edit2)
            return Edit2KeyPress(key);
        for (QComboBox* box : {OwnerCombo, ProjectCombo}) {
            if (watched == box->lineEdit())
                return OwnerComboKeyDown(box, key);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TToDoDlgFrm::addNameText(QComboBox* box)
{
    const QString text = box->currentText();
    if (box->findText(text, Qt::MatchFixedString) >= 0)
        return;
    if (!checkEncodable({text}))
        return;
    const QSignalBlocker block(box);
    box->addItem(text);
    box->setEditText(text);
}

void TToDoDlgFrm::deleteNameItem(QComboBox* box)
{
    const int current = box->currentIndex();
    if (current < 0)
        return;
    box->removeItem(current);
    if (box->count() == 0)
        box->setEditText(QString());
}

void TToDoDlgFrm::clearNameItems(QComboBox* box)
{
    const QString typed = box->currentText();
    box->clear();
    box->setEditText(typed);
}

void TToDoDlgFrm::CbxUseDateClick()
{
    Action2Execute();
    DatePick->setEnabled(CbxEndDate->isChecked());
}

void TToDoDlgFrm::CbxAlarmClick()
{
    TimePick->setEnabled(CbxAlarm->isChecked());
    if (CbxAlarm->isChecked()) {
        CbxEndDate->setChecked(true);
        CbxUseDateClick();
    }
    DatePick->setEnabled(CbxEndDate->isChecked());
}

void TToDoDlgFrm::DatePickClick()
{
    m_targetTouched = true;
    Action1Execute();
}

void TToDoDlgFrm::TimePickChange()
{
    m_timeTouched = true;
    A_UseTime = CbxAlarm->isChecked();
}

void TToDoDlgFrm::SpeedButton1Click()
{
    const QString current = EdtLocation->text();
    const QString folder = fileExists(current) ? QFileInfo(current).absolutePath() : QString();
    const QString picked = FileDialog::getOpenFileName(this, tr("Document of this item"), folder, QString());
    if (fileExists(picked))
        EdtLocation->setText(QFileInfo(picked).absoluteFilePath());
}

void TToDoDlgFrm::Action1Execute()
{
    TimePick->setEnabled(CbxAlarm->isChecked());
    DatePick->setEnabled(CbxEndDate->isChecked());
    A_UseTDate = CbxEndDate->isChecked();
}

void TToDoDlgFrm::Action2Execute()
{
    PickDateIn->setEnabled(CbxUseDate->isChecked());
}
