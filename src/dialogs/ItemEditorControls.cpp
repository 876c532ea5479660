#include "dialogs/ItemEditorControls.h"

#include "config/LanguageTexts.h"
#include "dialogs/NameComboBox.h"
#include "platform/Regional.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
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

} // namespace

void ItemEditorControls::create(QDialog* dialog)
{
    auto* top = new QVBoxLayout(dialog);
    top->setContentsMargins(6, 6, 6, 6);
    top->setSpacing(4);
    top->setSizeConstraint(QLayout::SetFixedSize);

    auto named = [](auto* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };

    groupBoxes[0] = named(new QGroupBox(dialog), "GroupBox1");
    actionEdit = named(new QPlainTextEdit(groupBoxes[0]), "ActionEdit");
    actionEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    actionEdit->setTabChangesFocus(true);
    actionEdit->setFixedHeight(70);
    const LanguageTexts& texts = LanguageTexts::shared();
    auto hint = [&texts](const char* key) { return texts.text("Hints_Edit", key); };
    setHint(actionEdit, hint("Action"));
    (new QVBoxLayout(groupBoxes[0]))->addWidget(actionEdit);

    groupBoxes[1] = named(new QGroupBox(dialog), "GroupBox2");
    remarksEdit = named(new QPlainTextEdit(groupBoxes[1]), "RemarksEdit");
    remarksEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    remarksEdit->setTabChangesFocus(true);
    remarksEdit->setFixedHeight(56);
    setHint(remarksEdit, hint("Remarks"));
    (new QVBoxLayout(groupBoxes[1]))->addWidget(remarksEdit);

    const QString pickerHint = hint("Picker");
    groupBoxes[2] = named(new QGroupBox(dialog), "GroupBox3");
    QGridLayout* g3 = createLabelRow(groupBoxes[2], 2);
    priorityEdit = named(new QLineEdit(QStringLiteral("0"), groupBoxes[2]), "PriorityEdit");
    priorityEdit->setFixedWidth(40);
    setHint(priorityEdit, hint("Priority"));
    prioritySpin = named(new QSpinBox(groupBoxes[2]), "PrioritySpin");
    prioritySpin->setRange(0, 10);
    // Only the arrows show: the number is typed into priorityEdit, where it is not limited to the arrows'
    // range.
    prioritySpin->setFixedWidth(20);
    prioritySpin->setFocusPolicy(Qt::NoFocus);
    auto* priorityBox = new QWidget(groupBoxes[2]);
    auto* priority = new QHBoxLayout(priorityBox);
    priority->setContentsMargins(0, 0, 0, 0);
    priority->setSpacing(0);
    priority->addWidget(priorityEdit);
    priority->addWidget(prioritySpin);
    completedBox = named(new QCheckBox(groupBoxes[2]), "CbxStatus");
    setHint(completedBox, hint("Done"));
    useDateInBox = named(new QCheckBox(groupBoxes[2]), "CbxUseDate");
    useDateInBox->setChecked(true);
    dateInEdit = named(new QDateEdit(groupBoxes[2]), "PickDateIn");
    g3->addWidget(priorityBox, 1, 0, Qt::AlignHCenter);
    for (int c = 0; c < 3; ++c)
        g3->setColumnStretch(c, 1);
    g3->setColumnStretch(3, 2);
    g3->addWidget(completedBox, 1, 1, Qt::AlignHCenter);
    g3->addWidget(useDateInBox, 1, 2, Qt::AlignHCenter);
    g3->addWidget(dateInEdit, 1, 3);

    groupBoxes[3] = named(new QGroupBox(dialog), "GroupBox4");
    QGridLayout* g4 = createLabelRow(groupBoxes[3], 3);
    alarmBox = named(new QCheckBox(groupBoxes[3]), "CbxAlarm");
    alarmTimeEdit = named(new QTimeEdit(groupBoxes[3]), "TimePick");
    alarmTimeEdit->setEnabled(false);
    targetBox = named(new QCheckBox(groupBoxes[3]), "CbxEndDate");
    targetBox->setChecked(true);
    targetEdit = named(new QDateEdit(groupBoxes[3]), "DatePick");
    auto* alarmPair = new QHBoxLayout;
    alarmPair->addWidget(alarmBox);
    alarmPair->addWidget(alarmTimeEdit, 1);
    auto* targetPair = new QHBoxLayout;
    targetPair->addWidget(targetBox);
    targetPair->addWidget(targetEdit, 1);
    g4->addLayout(alarmPair, 1, 0);
    g4->addLayout(targetPair, 1, 1);

    for (QDateEdit* picker : {dateInEdit, targetEdit}) {
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(Regional::shortDateFormat());
        setHint(picker, pickerHint);
    }
    alarmTimeEdit->setDisplayFormat(Regional::longTimeFormat());
    setHint(alarmTimeEdit, pickerHint);

    groupBoxes[4] = named(new QGroupBox(dialog), "GroupBox5");
    locationEdit = named(new QLineEdit(groupBoxes[4]), "EdtLocation");
    browseButton = named(new QToolButton(groupBoxes[4]), "BrowseButton");
    browseButton->setText(QStringLiteral("..."));
    browseButton->setToolTip(hint("Browse"));
    auto* g5 = new QHBoxLayout(groupBoxes[4]);
    g5->addWidget(locationEdit, 1);
    g5->addWidget(browseButton);

    groupBoxes[5] = named(new QGroupBox(dialog), "GroupBox6");
    QGridLayout* g6 = createLabelRow(groupBoxes[5], 5);
    ownerCombo = named(new NameComboBox(groupBoxes[5]), "OwnerCombo");
    projectCombo = named(new NameComboBox(groupBoxes[5]), "ProjectCombo");
    clearButton = named(new QPushButton(groupBoxes[5]), "ClearAllBut");
    cancelButton = named(new QPushButton(groupBoxes[5]), "CancelBut");
    okButton = named(new QPushButton(groupBoxes[5]), "OKButt");
    okButton->setDefault(true);
    setHint(clearButton, hint("Clear"));
    setHint(cancelButton, hint("Cancel"));
    setHint(okButton, hint("OK"));
    g6->addWidget(ownerCombo, 1, 0);
    g6->addWidget(projectCombo, 1, 1);
    g6->addWidget(clearButton, 1, 3);
    g6->addWidget(cancelButton, 1, 4);
    g6->addWidget(okButton, 1, 5);
    g6->setColumnStretch(0, 3);
    g6->setColumnStretch(1, 3);

    // Items of the owner pop-up: AddText1, DeleteItem, ClearAllMenu; of the project pop-up: MenuItem1 to
    // MenuItem3.
    ownerCombo->menu()->setObjectName(QStringLiteral("ComboPop"));
    projectCombo->menu()->setObjectName(QStringLiteral("ProjectPop"));
    const std::array<const char*, 3> ownerItems = {"AddText1", "DeleteItem", "ClearAllMenu"};
    const std::array<const char*, 3> projectItems = {"MenuItem1", "MenuItem2", "MenuItem3"};
    for (size_t i = 0; i < 3; ++i) {
        ownerCombo->menu()
            ->actions()
            .at(static_cast<int>(i))
            ->setObjectName(QString::fromLatin1(ownerItems[i]));
        projectCombo->menu()
            ->actions()
            .at(static_cast<int>(i))
            ->setObjectName(QString::fromLatin1(projectItems[i]));
    }
    for (NameComboBox* box : {ownerCombo, projectCombo}) {
        setHint(box, hint("Names"));
    }

    for (QGroupBox* box : groupBoxes) {
        box->setMinimumWidth(361);
        top->addWidget(box);
    }
}

QGridLayout* ItemEditorControls::createLabelRow(QGroupBox* box, int index)
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

void ItemEditorControls::setGroupCaption(int index, const QString& caption)
{
    if (index < 0 || index > 5)
        return;
    m_groupCaptions[static_cast<size_t>(index)] = caption;
    if (!isLabelRow(index)) {
        groupBoxes[static_cast<size_t>(index)]->setTitle(caption);
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
        auto* grid = static_cast<QGridLayout*>(groupBoxes[5]->layout());
        grid->removeWidget(labels[2]);
        grid->addWidget(labels[2], 1, 2, Qt::AlignRight | Qt::AlignVCenter);
        labels[2]->setText(words.value(2));
        labels[3]->hide();
        labels[4]->hide();
        labels[5]->hide();
        clearButton->setText(words.value(3, QStringLiteral("Clear")));
        cancelButton->setText(words.value(4, QStringLiteral("Cancel")));
        okButton->setText(words.value(5, QStringLiteral("Go")));
        return;
    }
    for (int i = 0; i < labels.size(); ++i)
        labels[i]->setText(words.value(i));
}

void ItemEditorControls::applyDesignCaptions()
{
    for (int i = 0; i < 6; ++i)
        setGroupCaption(i, QString::fromLatin1(kDesignCaptions[static_cast<size_t>(i)]));
}
