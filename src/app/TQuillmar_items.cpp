// The commands that change rows: add, edit, delete, move to history, and the Delete key.
#include "app/TQuillmar.h"

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
const QString kAddCaption = QStringLiteral("Quillmar: Add new ToDo item");
const QString kEditCaption = QStringLiteral("Quillmar: Edit ToDo item");

QColor colorOf(quint32 bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

// The editor has checked every text against the code page before it closed with OK.
QByteArray encoded(const QString& text)
{
    return CodePage::encodeLossy(text);
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

    // The enabled states follow the selection, which is what the idle updates looked at.
    auto update = [this] {
        ActDeleteItemUpdate();
        actEditUpdate();
        actDeleteToHistoryUpdate();
    };
    connect(lstToDo->selectionModel(), &QItemSelectionModel::selectionChanged, this, update);
    connect(model(), &QAbstractItemModel::modelReset, this, update);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, update);
    connect(model(), &QAbstractItemModel::layoutChanged, this, update);
    update();
}

void TQuillmar::ActDeleteItemUpdate()
{
    ActDeleteItem->setEnabled(!selectedRows().isEmpty());
}

void TQuillmar::actEditUpdate()
{
    actEdit->setEnabled(selectedRows().size() == 1);
}

void TQuillmar::actDeleteToHistoryUpdate()
{
    actDeleteToHistory->setEnabled(!selectedRows().isEmpty());
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
    TToDoDlgFrm dlg(&model()->ownerNames(), &model()->projectNames(), this);
    dlg.setIniFileName(settingsPath());
    dlg.setFormCaption(kAddCaption);
    dlg.setMemocolor(colorOf(ListColor));
    if (ItemFontName.isEmpty())
        ItemFontName = ReadIniString(settingsPath(), QStringLiteral("Font"), QStringLiteral("Name"),
                                     QStringLiteral("Tahoma"));
    dlg.setMemoFontnAME(ItemFontName);
    dlg.clearValues();
    if (date.isValid()) {
        dlg.A_Date = Regional::dateToText(date.date());
        dlg.A_TDate = Regional::dateToText(date.date().addDays(1));
    }
    if (dlg.exec() == QDialog::Accepted) {
        ToDoItem item = ToDoItem::make(encoded(dlg.A_Action), dlg.A_Status);
        const QString values[ToDoItem::ColumnCount] = {dlg.A_Priority, dlg.A_Date,    dlg.A_TDate,
                                                       dlg.A_Remarks,  dlg.A_Owner,   dlg.A_Project,
                                                       dlg.A_Time,     dlg.A_Location};
        for (int k = 0; k < ToDoItem::ColumnCount; ++k)
            item.setValue(k, encoded(values[k]));
        model()->appendItem(std::move(item));
        ListSaved = false;
        UpdateStatusBar();
    } else {
        dlg.clearValues();
    }
    EditBuffer = ToDoItem();
}

void TQuillmar::EditItem(int index)
{
    int row = index;
    if (row < 0) {
        const QList<int> rows = selectedRows();
        row = rows.isEmpty() ? -1 : rows.constFirst();
    }
    if (row < 0 || row >= model()->size()) {
        EditBuffer = ToDoItem();
        return;
    }
    EditBuffer = model()->item(row);

    TToDoDlgFrm dlg(&model()->ownerNames(), &model()->projectNames(), this);
    dlg.setMemocolor(colorOf(ListColor));
    dlg.setMemoFontnAME(ItemFontName);
    dlg.A_Action = EditBuffer.actionText();
    dlg.A_Priority = EditBuffer.valueText(ToDoItem::Priority);
    dlg.A_Date = EditBuffer.valueText(ToDoItem::DateIn);
    dlg.A_TDate = EditBuffer.valueText(ToDoItem::Target);
    dlg.A_Remarks = EditBuffer.valueText(ToDoItem::Remarks);
    dlg.A_Owner = EditBuffer.valueText(ToDoItem::Owner);
    dlg.A_Project = EditBuffer.valueText(ToDoItem::ProjectName);
    dlg.A_Time = EditBuffer.valueText(ToDoItem::AlarmTime);
    dlg.A_Location = EditBuffer.valueText(ToDoItem::FileLocation);
    dlg.A_Status = EditBuffer.checked();
    dlg.setIniFileName(settingsPath());
    dlg.setFormCaption(kEditCaption);

    // The row may have gone while the editor was open (another start handed over a list file).
    if (dlg.exec() != QDialog::Rejected && row < model()->size() &&
        model()->item(row).record() == EditBuffer.record()) {
        ToDoItem item = EditBuffer;
        // A row read with fewer values gains the missing ones as empty values.
        item.ensureValueCount(ToDoItem::ColumnCount);
        // A text the user did not change keeps its bytes as the file holds them.
        auto put = [&item](int k, const QString& text) {
            if (text != item.valueText(k))
                item.setValue(k, encoded(text));
        };
        if (dlg.A_Action != item.actionText())
            item.setAction(encoded(dlg.A_Action));
        put(ToDoItem::Priority, dlg.A_Priority);
        put(ToDoItem::DateIn, dlg.A_Date);
        put(ToDoItem::Target, dlg.A_UseTDate ? dlg.A_TDate : QString());
        put(ToDoItem::Remarks, dlg.A_Remarks);
        put(ToDoItem::Owner, dlg.A_Owner);
        put(ToDoItem::ProjectName, dlg.A_Project);
        put(ToDoItem::AlarmTime, dlg.A_UseTime ? dlg.A_Time : QString());
        // The editor gives back the stored location unless the user picked another or emptied the field.
        put(ToDoItem::FileLocation, dlg.A_Location);
        item.setChecked(dlg.A_Status);
        model()->replaceItem(row, std::move(item));
        ListSaved = false;
        UpdateStatusBar();
    }
    EditBuffer = ToDoItem();
}

void TQuillmar::ActDeleteItemExecute()
{
    if (selectedRows().isEmpty())
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
    // External lists are the user's own lists: only the history list itself (or no list) refuses.
    if (ListMode == TListMode::History || ListMode == TListMode::NoList) {
        MessageBox::information(this, QStringLiteral("This is the history file!"));
        return false;
    }
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return false;
    if (withHistory) {
        const IoResult saved = AppendSelectedToHistory(model()->list(), rows);
        if (!saved.ok) {
            MessageBox::information(this, QStringLiteral("Failure saving the file") + QStringLiteral("\n\n") +
                                              saved.error);
            return false;
        }
    }
    ActionMemo->clear();
    RemarksMemo->clear();
    model()->removeRows(rows);
    ListSaved = false;
    UpdateStatusBar();
    return true;
}
