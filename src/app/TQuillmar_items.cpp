// The commands that change rows: add, edit, delete, move to history, and the Delete key.
#include "app/TQuillmar.h"

#include "app/ItemFilterModel.h"
#include "app/WindowPrompter.h"
#include "config/LanguageTexts.h"
#include "config/Paths.h"

#include "config/Settings.h"
#include "dialogs/MessageBox.h"
#include "dialogs/TToDoDlgFrm.h"
#include "model/ListFile.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QShortcut>
#include <QTextEdit>
#include <QTreeView>

namespace {

QColor colorOf(quint32 bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}
} // namespace

void TQuillmar::setupItemCommands()
{
    connect(actInsAction, &QAction::triggered, this, &TQuillmar::actInsActionExecute);
    connect(actEdit, &QAction::triggered, this, &TQuillmar::actEditExecute);
    connect(ActDeleteItem, &QAction::triggered, this, &TQuillmar::ActDeleteItemExecute);
    connect(actDeleteToHistory, &QAction::triggered, this, &TQuillmar::actDeleteToHistoryExecute);
    // A double click in the list runs actEdit (wired with the list view).

    // The Delete key acts on rows only while the list has the focus, never while the user types elsewhere.
    auto* deleteKey = new QShortcut(QKeySequence::Delete, lstToDo, nullptr, nullptr, Qt::WidgetShortcut);
    deleteKey->setObjectName(QStringLiteral("DeleteKey"));
    connect(deleteKey, &QShortcut::activated, this, &TQuillmar::ActDeleteItemExecute);
    // Enter on a row edits it, as a double click does.
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* enter = new QShortcut(key, lstToDo, nullptr, nullptr, Qt::WidgetShortcut);
        connect(enter, &QShortcut::activated, this, [this] {
            if (actEdit->isEnabled())
                actEdit->trigger();
        });
    }
    // The memos show a row; when rows go, so does what they showed (the selection fills them again).
    auto clearMemos = [this] {
        ActionMemo->clear();
        RemarksMemo->clear();
    };
    connect(listModel(), &QAbstractItemModel::rowsRemoved, this, clearMemos);
    connect(listModel(), &QAbstractItemModel::modelReset, this, clearMemos);

    // The enabled states follow the selection, which is what the idle updates looked at.
    connect(lstToDo->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TQuillmar::updateItemCommands);
    connect(listModel(), &QAbstractItemModel::modelReset, this, &TQuillmar::updateItemCommands);
    connect(listModel(), &QAbstractItemModel::rowsRemoved, this, &TQuillmar::updateItemCommands);
    connect(listModel(), &QAbstractItemModel::layoutChanged, this, &TQuillmar::updateItemCommands);
    updateItemCommands();
}

void TQuillmar::updateItemCommands()
{
    // ActDeleteItemUpdate, actEditUpdate, actDeleteToHistoryUpdate
    // Commands that cannot act are disabled rather than answering with a message: nothing is deleted from
    // or moved out of the history list.
    const qsizetype selected = selectedRows().size();
    const bool rowsAllowed = m_document->canChangeRows();
    const bool removable = rowsAllowed && m_document->mode() != ListMode::History && selected > 0;
    ActDeleteItem->setEnabled(removable);
    actEdit->setEnabled(rowsAllowed && selected == 1);
    actDeleteToHistory->setEnabled(removable);
}

void TQuillmar::actInsActionExecute()
{
    AddItem(UseBeginDate ? Clock::now() : QDateTime());
}

void TQuillmar::actEditExecute()
{
    EditItem(-1);
}

void TQuillmar::AddItem(const QDateTime& date)
{
    if (!m_document->canChangeRows())
        return;
    ToDoItem fresh = ToDoItem::make({});
    if (date.isValid()) {
        fresh.setValue(ToDoItem::DateIn, CodePage::encodeLossy(Regional::dateToText(date.date())));
        fresh.setValue(ToDoItem::Target, CodePage::encodeLossy(Regional::dateToText(date.date().addDays(1))));
    }
    if (ItemFontName.isEmpty())
        ItemFontName = ReadIniString(SettingsFilePath(), QStringLiteral("Font"), QStringLiteral("Name"),
                                     QStringLiteral("Tahoma"));
    TToDoDlgFrm dlg(this);
    dlg.setIniFileName(SettingsFilePath());
    dlg.setFormCaption(LanguageTexts::shared().text("Add_Edit", "Caption"));
    dlg.setMemocolor(colorOf(ListColor));
    dlg.setMemoFontnAME(ItemFontName);
    dlg.setItem(fresh);
    dlg.setNames(listModel()->ownerNames(), listModel()->projectNames());
    // The name lists count whether the item was added or not; with the item, undo takes them back too.
    runItemEditor(
        dlg,
        [this, &dlg] {
            m_document->addItem(dlg.item(), dlg.ownerNames(), dlg.projectNames());
            const int added = listModel()->size() - 1;
            if (m_filterModel->proxyRow(added) < 0)
                showNotice(QStringLiteral("The new item is not shown: the find bar leaves it out."));
        },
        [this, &dlg] { listModel()->setNames(dlg.ownerNames(), dlg.projectNames()); });
}

void TQuillmar::EditItem(int index)
{
    int row = index;
    if (row < 0) {
        const QList<int> rows = selectedRows();
        row = rows.isEmpty() ? -1 : rows.constFirst();
    }
    if (row < 0 || row >= listModel()->size())
        return;
    // EditBuffer: the row as it was when the editor opened.
    const ToDoItem before = listModel()->item(row);

    TToDoDlgFrm dlg(this);
    dlg.setMemocolor(colorOf(ListColor));
    dlg.setMemoFontnAME(ItemFontName);
    dlg.setItem(before);
    dlg.setNames(listModel()->ownerNames(), listModel()->projectNames());
    dlg.setIniFileName(SettingsFilePath());
    dlg.setFormCaption(LanguageTexts::shared().text("Add_Edit", "Caption_Edit"));
    // The row is written back only where it still is: nothing else changes rows while the editor is open,
    // and the document checks it so.
    const auto keepNames = [this, &dlg] { listModel()->setNames(dlg.ownerNames(), dlg.projectNames()); };
    runItemEditor(
        dlg,
        [this, &dlg, row, before, keepNames] {
            if (!m_document->editItem(row, before, dlg.item(), dlg.ownerNames(), dlg.projectNames()))
                keepNames();
        },
        keepNames);
}

void TQuillmar::runItemEditor(TToDoDlgFrm& editor, const std::function<void()>& apply,
                              const std::function<void()>& dismissed)
{
    m_openEditor = &editor;
    m_applyOpenEditor = apply;
    const bool accepted = editor.exec() == QDialog::Accepted;
    // endSession took the editor's item already: applying it again would add it twice.
    const bool taken = !m_applyOpenEditor;
    m_openEditor = nullptr;
    m_applyOpenEditor = nullptr;
    if (taken)
        return;
    if (accepted)
        apply();
    else
        dismissed();
}

void TQuillmar::keepOpenItemEditor()
{
    if (!m_openEditor || !m_applyOpenEditor)
        return;
    const std::function<void()> apply = std::exchange(m_applyOpenEditor, nullptr);
    if (m_openEditor->takeForSessionEnd())
        apply();
    m_openEditor->reject();
}

void TQuillmar::ActDeleteItemExecute()
{
    if (selectedRows().isEmpty() || !ActDeleteItem->isEnabled())
        return;
    if (MessageBox::question(this, QStringLiteral("Do you really want to delete this ToTo item?")) ==
        MessageBox::Yes)
        DeleteSelectedItems(false);
}

void TQuillmar::actDeleteToHistoryExecute()
{
    DeleteSelectedItems(true);
}

bool TQuillmar::DeleteSelectedItems(bool withHistory)
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return false;
    return m_document->DeleteSelectedItems(rows, withHistory, *m_prompter);
}
