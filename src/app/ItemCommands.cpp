#include "app/ItemCommands.h"

#include "app/Hints.h"
#include "app/ListViewController.h"
#include "app/ToolIcons.h"
#include "config/Config.h"
#include "config/LanguageTexts.h"
#include "config/Paths.h"
#include "config/Settings.h"
#include "dialogs/ItemEditorDialog.h"
#include "dialogs/MessageBox.h"
#include "model/ListDocument.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QShortcut>
#include <QTreeView>
#include <QWidget>

ItemCommands::ItemCommands(ListDocument* document, ListPrompter& prompter, ListViewController* list,
                           QWidget* window)
    : QObject(window), m_document(document), m_prompter(prompter), m_list(list), m_window(window)
{
    auto make = [this](const char* name, const QString& text, ToolIcons::Kind icon, const QString& hint) {
        auto* action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setIcon(ToolIcons::icon(icon));
        applyHint(action, hint);
        return action;
    };
    m_addAction = make("actInsAction", QStringLiteral("&Add Action"), ToolIcons::Add,
                       QStringLiteral("Add new todo item"));
    m_editAction =
        make("actEdit", QStringLiteral("&Edit Action"), ToolIcons::Edit, QStringLiteral("Edit todo item"));
    m_deleteAction = make("ActDeleteItem", QStringLiteral("&Delete Item"), ToolIcons::Delete,
                          QStringLiteral("Delete todo item"));
    m_toHistoryAction = make("actDeleteToHistory", QStringLiteral("&Move selected to history"),
                             ToolIcons::ToHistory, QStringLiteral("Delete all selected items."));
    // Keys for what is done most: add (Ctrl+N, Insert), edit (F2; Enter on a row).
    m_addAction->setShortcuts({QKeySequence::New, QKeySequence(Qt::Key_Insert)});
    m_editAction->setShortcut(QKeySequence(Qt::Key_F2));
    connect(m_addAction, &QAction::triggered, this,
            [this] { addItem(m_useBeginDate ? Clock::now() : QDateTime()); });
    connect(m_editAction, &QAction::triggered, this, [this] { editItem(-1); });
    connect(m_deleteAction, &QAction::triggered, this, &ItemCommands::askAndDelete);
    connect(m_toHistoryAction, &QAction::triggered, this, [this] { deleteSelected(true); });
    connect(list, &ListViewController::rowActivated, this, [this] {
        if (m_editAction->isVisible())
            editIfEnabled();
    });

    // The Delete key acts on rows only while the list has the focus, never while the user types elsewhere.
    QTreeView* view = list->view();
    auto* deleteKey = new QShortcut(QKeySequence::Delete, view, nullptr, nullptr, Qt::WidgetShortcut);
    deleteKey->setObjectName(QStringLiteral("DeleteKey"));
    connect(deleteKey, &QShortcut::activated, this, &ItemCommands::askAndDelete);
    // Enter on a row edits it, as a double click does.
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* enter = new QShortcut(key, view, nullptr, nullptr, Qt::WidgetShortcut);
        connect(enter, &QShortcut::activated, this, &ItemCommands::editIfEnabled);
    }

    // The enabled states follow the selection and the rows.
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ItemCommands::updateEnabled);
    ToDoListModel* model = document->model();
    connect(model, &QAbstractItemModel::modelReset, this, &ItemCommands::updateEnabled);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &ItemCommands::updateEnabled);
    connect(model, &QAbstractItemModel::layoutChanged, this, &ItemCommands::updateEnabled);
    updateEnabled();
}

QList<QAction*> ItemCommands::actions() const
{
    return {m_addAction, m_editAction, m_deleteAction, m_toHistoryAction};
}

QList<QAction*> ItemCommands::popupActions() const
{
    return {m_addAction, m_editAction, m_deleteAction};
}

void ItemCommands::setEditorLook(const QColor& memoColor, const QString& fontName)
{
    m_memoColor = memoColor;
    m_fontName = fontName;
}

void ItemCommands::editIfEnabled()
{
    if (m_editAction->isEnabled())
        m_editAction->trigger();
}

void ItemCommands::updateEnabled()
{
    const qsizetype selected = m_list->selectedRows().size();
    const bool rowsAllowed = m_document->canChangeRows();
    const bool removable = rowsAllowed && m_document->mode() != ListMode::History && selected > 0;
    m_addAction->setEnabled(rowsAllowed);
    m_deleteAction->setEnabled(removable);
    m_editAction->setEnabled(rowsAllowed && selected == 1);
    m_toHistoryAction->setEnabled(removable);
}

void ItemCommands::addItem(const QDateTime& date)
{
    if (!m_document->canChangeRows())
        return;
    ToDoItem fresh = ToDoItem::make({});
    if (date.isValid()) {
        fresh.setValue(ToDoItem::DateIn, CodePage::encodeLossy(Regional::dateToText(date.date())));
        fresh.setValue(ToDoItem::Target, CodePage::encodeLossy(Regional::dateToText(date.date().addDays(1))));
    }
    if (m_fontName.isEmpty())
        m_fontName = Config::read(SettingsFilePath(), Config::Key::FontName);
    ToDoListModel* model = m_document->model();
    ItemEditorDialog dlg(m_window);
    dlg.setIniFileName(SettingsFilePath());
    dlg.setFormCaption(LanguageTexts::shared().text("Add_Edit", "Caption"));
    dlg.setMemocolor(m_memoColor);
    dlg.setMemoFontnAME(m_fontName);
    dlg.setItem(fresh);
    dlg.setNames(model->ownerNames(), model->projectNames());
    // The name lists count whether the item was added or not; with the item, undo takes them back too.
    if (dlg.exec() != QDialog::Accepted) {
        model->setNames(dlg.ownerNames(), dlg.projectNames());
        return;
    }
    m_document->addItem(dlg.item(), dlg.ownerNames(), dlg.projectNames());
    if (!m_list->isShown(model->size() - 1))
        Q_EMIT notice(QStringLiteral("The new item is not shown: the find bar leaves it out."));
}

void ItemCommands::editItem(int index)
{
    ToDoListModel* model = m_document->model();
    int row = index;
    if (row < 0) {
        const QList<int> rows = m_list->selectedRows();
        row = rows.isEmpty() ? -1 : rows.constFirst();
    }
    if (row < 0 || row >= model->size())
        return;
    // The row as it was when the editor opened.
    const ToDoItem before = model->item(row);

    ItemEditorDialog dlg(m_window);
    dlg.setMemocolor(m_memoColor);
    dlg.setMemoFontnAME(m_fontName);
    dlg.setItem(before);
    dlg.setNames(model->ownerNames(), model->projectNames());
    dlg.setIniFileName(SettingsFilePath());
    dlg.setFormCaption(LanguageTexts::shared().text("Add_Edit", "Caption_Edit"));
    const bool accepted = dlg.exec() == QDialog::Accepted;
    // The row is written back only where it still is: nothing else changes rows while the editor is open,
    // and the document checks it so.
    if (!accepted || !m_document->editItem(row, before, dlg.item(), dlg.ownerNames(), dlg.projectNames()))
        model->setNames(dlg.ownerNames(), dlg.projectNames());
}

void ItemCommands::askAndDelete()
{
    if (m_list->selectedRows().isEmpty() || !m_deleteAction->isEnabled())
        return;
    if (MessageBox::question(m_window, QStringLiteral("Do you really want to delete this ToTo item?")) ==
        MessageBox::Yes)
        deleteSelected(false);
}

void ItemCommands::deleteSelected(bool withHistory)
{
    const QList<int> rows = m_list->selectedRows();
    if (!rows.isEmpty())
        m_document->DeleteSelectedItems(rows, withHistory, m_prompter);
}

void ItemCommands::retranslate()
{
    const LanguageTexts& texts = LanguageTexts::shared();
    m_addAction->setText(texts.text("Item1", "Item0"));
    m_editAction->setText(texts.text("Item1", "Item1"));
    m_deleteAction->setText(texts.text("Item1", "Item2"));
    m_toHistoryAction->setText(texts.text("Item1", "Item3"));
}
