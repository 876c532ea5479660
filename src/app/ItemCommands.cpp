#include "app/ItemCommands.h"

#include "app/Hints.h"
#include "app/ListViewController.h"
#include "app/QuickAddBar.h"
#include "app/ReportView.h"
#include "app/ToolIcons.h"
#include "config/Config.h"
#include "config/LanguageTexts.h"
#include "config/Paths.h"
#include "config/Settings.h"
#include "dialogs/ItemEditorDialog.h"
#include "dialogs/MessageBox.h"
#include "model/ListDocument.h"
#include "model/QuickAddParser.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QShortcut>

#include <QWidget>
#include <algorithm>

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
    const LanguageTexts& texts = LanguageTexts::shared();
    m_addAction =
        make("actInsAction", QStringLiteral("&Add Action"), ToolIcons::Add, texts.text("Hints", "AddItem"));
    m_editAction =
        make("actEdit", QStringLiteral("&Edit Action"), ToolIcons::Edit, texts.text("Hints", "EditItem"));
    m_deleteAction = make("ActDeleteItem", QStringLiteral("&Delete Item"), ToolIcons::Delete,
                          texts.text("Hints", "DeleteItem"));
    m_toHistoryAction = make("actDeleteToHistory", QStringLiteral("&Move selected to history"),
                             ToolIcons::ToHistory, texts.text("Hints", "ToHistory"));
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
    QAbstractItemView* view = list->view();
    auto* deleteKey = new QShortcut(QKeySequence::Delete, view, nullptr, nullptr, Qt::WidgetShortcut);
    deleteKey->setObjectName(QStringLiteral("DeleteKey"));
    connect(deleteKey, &QShortcut::activated, this, &ItemCommands::askAndDelete);
    // Enter on a row edits it, as a double click does.
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* enter = new QShortcut(key, view, nullptr, nullptr, Qt::WidgetShortcut);
        connect(enter, &QShortcut::activated, this, &ItemCommands::editIfEnabled);
    }

    m_quickAdd = new QuickAddBar([this](const QString& line) { return quickAdd(line); });
    m_quickAdd->followTypingIn(view);
    auto* quickKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), window);
    quickKey->setObjectName(QStringLiteral("QuickAddKey"));
    connect(quickKey, &QShortcut::activated, m_quickAdd, [this] {
        m_quickAdd->setFocus(Qt::ShortcutFocusReason);
        m_quickAdd->selectAll();
    });

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
    return {m_addAction, m_editAction, m_deleteAction, m_toHistoryAction};
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
    m_quickAdd->setEnabled(rowsAllowed);
}

bool ItemCommands::quickAdd(const QString& line)
{
    if (!m_document->canChangeRows())
        return false;
    const LanguageTexts& texts = LanguageTexts::shared();
    QuickAddParser::Words words{texts.text("QuickAdd", "Today"), texts.text("QuickAdd", "Tomorrow"), {}};
    for (const QString& day : texts.text("QuickAdd", "Weekdays").split(QLatin1Char(',')))
        words.weekdays << day.trimmed();
    const QDate today = Clock::today();
    const QuickAddParser::Result parsed = QuickAddParser::parse(line, today, words);
    // A text the list file cannot hold stays in the line, with the message the editor gives.
    const CodePage::Encoded action = CodePage::encode(parsed.action);
    if (!action.ok()) {
        MessageBox::information(m_window, UnmappableText(action.unmappable));
        return false;
    }
    ToDoItem item = ToDoItem::make(action.bytes);
    if (m_useBeginDate)
        item.setValue(ToDoItem::DateIn, CodePage::encodeLossy(Regional::dateToText(today)));
    if (parsed.target)
        item.setValue(ToDoItem::Target, CodePage::encodeLossy(Regional::dateToText(*parsed.target)));
    ToDoListModel* model = m_document->model();
    if (!m_document->addItem(item, model->ownerNames(), model->projectNames()))
        return false;
    if (!m_list->isShown(model->size() - 1))
        Q_EMIT notice(texts.text("Messages", "NewItemHidden"));
    return true;
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
    runEditor(
        dlg,
        [this, &dlg, model] {
            m_document->addItem(dlg.item(), dlg.ownerNames(), dlg.projectNames());
            if (!m_list->isShown(model->size() - 1))
                Q_EMIT notice(LanguageTexts::shared().text("Messages", "NewItemHidden"));
        },
        [&dlg, model] { model->setNames(dlg.ownerNames(), dlg.projectNames()); });
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
    const auto keepNames = [&dlg, model] { model->setNames(dlg.ownerNames(), dlg.projectNames()); };
    runEditor(
        dlg,
        [this, &dlg, row, before, keepNames] {
            applyEdit(row, before, dlg.item(), dlg.ownerNames(), dlg.projectNames(), keepNames);
        },
        keepNames);
}

void ItemCommands::applyEdit(int row, const ToDoItem& before, const ToDoItem& edited,
                             const QByteArrayList& owners, const QByteArrayList& projects,
                             const std::function<void()>& keepNames)
{
    // The sync may have moved, changed or removed rows while the editor was open: the edit goes to the row
    // that still holds the item as the editor got it, wherever it is now.
    if (m_document->editItem(row, before, edited, owners, projects))
        return;
    const auto& items = m_document->list().items;
    const auto found = std::find(items.begin(), items.end(), before);
    if (found != items.end() &&
        m_document->editItem(static_cast<int>(found - items.begin()), before, edited, owners, projects))
        return;
    // Changed or removed by another device meanwhile: both versions are kept, as the sync keeps them.
    if (found == items.end() && !(edited == before) && m_document->addItem(edited, owners, projects)) {
        m_prompter.inform(LanguageTexts::shared().text("Lists", "EditKeptAsNew"));
        return;
    }
    keepNames();
}

void ItemCommands::runEditor(ItemEditorDialog& editor, const std::function<void()>& apply,
                             const std::function<void()>& dismissed)
{
    m_openEditor = &editor;
    m_applyOpenEditor = apply;
    const bool accepted = editor.exec() == QDialog::Accepted;
    // keepOpenEditor took the editor's item already: applying it again would add it twice.
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

void ItemCommands::keepOpenEditor()
{
    if (!m_openEditor || !m_applyOpenEditor)
        return;
    const std::function<void()> apply = std::exchange(m_applyOpenEditor, nullptr);
    if (m_openEditor->takeForSessionEnd())
        apply();
    // Not reject(): that would ask whether to throw the typed text away, and it was just kept.
    m_openEditor->done(QDialog::Rejected);
}

void ItemCommands::askAndDelete()
{
    if (m_list->selectedRows().isEmpty() || !m_deleteAction->isEnabled())
        return;
    if (MessageBox::question(m_window, LanguageTexts::shared().text("Messages", "DeleteItem")) ==
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
    applyHint(m_addAction, texts.text("Hints", "AddItem"));
    applyHint(m_editAction, texts.text("Hints", "EditItem"));
    applyHint(m_deleteAction, texts.text("Hints", "DeleteItem"));
    applyHint(m_toHistoryAction, texts.text("Hints", "ToHistory"));
    m_quickAdd->retranslate();
}
