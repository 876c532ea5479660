#include "dialogs/NameComboBox.h"

#include "config/LanguageTexts.h"
#include "platform/CodePage.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

NameComboBox::NameComboBox(QWidget* parent) : QComboBox(parent), m_menu(new QMenu(this))
{
    setEditable(true);
    // Entries are added by the pop-up menu and the Enter key only, never by the combo box itself.
    setInsertPolicy(QComboBox::NoInsert);
    // Completion offers names in a list below the box; it never fills in the rest of a name as the user
    // types, so Enter keeps exactly what was typed.
    completer()->setCompletionMode(QCompleter::PopupCompletion);
    setMinimumContentsLength(6);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    const LanguageTexts& texts = LanguageTexts::shared();
    auto t = [&texts](const char* key) { return texts.text("Hints_Edit", key); };
    m_menu->addAction(t("AddName"), this, &NameComboBox::addTypedName)->setStatusTip(t("AddNameHint"));
    m_menu->addAction(t("DeleteName"), this, &NameComboBox::deleteSelectedName)
        ->setStatusTip(t("DeleteNameHint"));
    m_menu->addAction(t("ClearNames"), this, &NameComboBox::clearNames)->setStatusTip(t("ClearNamesHint"));
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(lineEdit())}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& pos) { m_menu->popup(w->mapToGlobal(pos)); });
    }
}

void NameComboBox::setNames(const QByteArrayList& names, const QString& current)
{
    clear();
    for (const QByteArray& name : names)
        addItem(CodePage::decode(name));
    // An owner or project that is not in the list is still the item's: show it as the box's text.
    const int found = current.isEmpty() ? -1 : findText(current, Qt::MatchFixedString);
    setCurrentIndex(found);
    if (found < 0)
        setEditText(current);
}

QByteArrayList NameComboBox::names() const
{
    QByteArrayList out;
    // Entries were checked against the code page when they were added.
    for (int i = 0; i < count(); ++i)
        out.append(CodePage::encodeLossy(itemText(i)));
    return out;
}

void NameComboBox::addTypedName()
{
    const QString text = currentText();
    if (text.isEmpty() || findText(text, Qt::MatchFixedString) >= 0)
        return;
    if (m_check && !m_check(text))
        return;
    const QSignalBlocker block(this);
    addItem(text);
    setEditText(text);
}

void NameComboBox::deleteSelectedName()
{
    const int current = currentIndex();
    if (current < 0)
        return;
    // The entry leaves the list; the item keeps the name it shows (a neighbour must not take its place).
    const QString shown = currentText();
    const QSignalBlocker block(this);
    removeItem(current);
    setCurrentIndex(-1);
    setEditText(shown);
}

void NameComboBox::clearNames()
{
    const QString typed = currentText();
    const QSignalBlocker block(this);
    clear();
    setEditText(typed);
}

void NameComboBox::keyPressEvent(QKeyEvent* event)
{
    // Enter keeps the typed name in the list and goes no further: it must not reach the dialog's
    // default button (the item would be stored before the user is done).
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !view()->isVisible()) {
        addTypedName();
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}
