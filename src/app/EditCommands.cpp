#include "app/EditCommands.h"

#include "app/FilterBar.h"
#include "app/ItemFilterModel.h"
#include "app/ListUndoStack.h"
#include "app/ListViewController.h"
#include "app/ReportView.h"
#include "config/LanguageTexts.h"
#include "model/ListDocument.h"
#include "platform/Regional.h"

#include <QAction>
#include <QBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QTimer>
#include <QWidget>

EditCommands::EditCommands(ListDocument* document, ListUndoStack* undoStack, ListPrompter& prompter,
                           ItemFilterModel* rows, ListViewController* list, QWidget* window)
    : QObject(window), m_document(document), m_undoStack(undoStack), m_prompter(prompter), m_rows(rows),
      m_list(list)
{
    m_undoAction = new QAction(QStringLiteral("&Undo"), this);
    m_undoAction->setObjectName(QStringLiteral("actUndo"));
    m_undoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redoAction = new QAction(QStringLiteral("&Redo"), this);
    m_redoAction->setObjectName(QStringLiteral("actRedo"));
    m_redoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    m_findAction = new QAction(QStringLiteral("&Find and filter"), this);
    m_findAction->setObjectName(QStringLiteral("actFind"));
    m_findAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    m_findAction->setStatusTip(LanguageTexts::shared().text("Hints_Main", "Find"));
    connect(m_undoAction, &QAction::triggered, this, [this] { m_undoStack->undo(m_prompter); });
    connect(m_redoAction, &QAction::triggered, this, [this] { m_undoStack->redo(m_prompter); });
    connect(m_findAction, &QAction::triggered, this, &EditCommands::find);

    m_menu = new QMenu(QStringLiteral("&Edit"), window);
    m_menu->setObjectName(QStringLiteral("EditMenu"));
    m_menu->addAction(m_undoAction);
    m_menu->addAction(m_redoAction);
    m_menu->addSeparator();
    m_menu->addAction(m_findAction);

    connect(m_undoStack, &ListUndoStack::changed, this, &EditCommands::updateUndoCommands);
    // What was brought back or done again is selected, so that the user sees it.
    connect(m_undoStack, &ListUndoStack::done, this, [this](const QList<int>& rows) {
        if (rows.isEmpty())
            return;
        m_list->selectRows(rows);
        m_list->showRow(rows.constFirst());
    });
    connect(m_undoStack, &ListUndoStack::cleared, this,
            [this] { showNotice(LanguageTexts::shared().text("Messages", "UndoCleared")); });
    updateUndoCommands();

    // A tick in a check box is a change that can be taken back, like the others.
    m_rows->setCheckHandler([this](int row, bool checked) { return m_document->setChecked(row, checked); });

    // The find bar sits above the list and its memos, hidden until Ctrl+F.
    m_filterBar = new FilterBar;
    m_filterBar->hide();
    if (auto* pageLayout = qobject_cast<QBoxLayout*>(m_list->page()->layout()))
        pageLayout->insertWidget(0, m_filterBar);
    connect(m_filterBar, &FilterBar::filterChanged, this, &EditCommands::applyFilter);
    connect(m_filterBar, &FilterBar::closed, this, [this] {
        m_list->view()->setFocus(Qt::OtherFocusReason);
        // The folded texts take about as much memory as the list: they go with the bar.
        m_foldTimer->stop();
        m_waitingFilter.reset();
        m_document->model()->forgetSearchKeys();
    });
    // The rows' folded texts are made in slices while the bar is shown, before the keys need them; a key
    // typed before they are all made is applied by the last slice, so that the window never folds a
    // million rows in one go.
    m_foldTimer = new QTimer(this);
    m_foldTimer->setInterval(0);
    connect(m_foldTimer, &QTimer::timeout, this, &EditCommands::foldSlice);

    // Notices stay a while: the hint panel changes with every move of the mouse.
    m_notice = new QLabel;
    m_notice->setObjectName(QStringLiteral("EditNotice"));
    m_shownCount = new QLabel;
    m_shownCount->setObjectName(QStringLiteral("ShownCount"));
    for (QLabel* field : {m_notice, m_shownCount}) {
        field->setContentsMargins(4, 0, 4, 0);
        field->hide();
    }
    m_noticeTimer = new QTimer(this);
    m_noticeTimer->setSingleShot(true);
    m_noticeTimer->setInterval(10000);
    connect(m_noticeTimer, &QTimer::timeout, m_notice, &QLabel::hide);
    connect(m_rows, &ItemFilterModel::countsChanged, this, &EditCommands::updateShownCount);
}

QList<QLabel*> EditCommands::statusFields() const
{
    return {m_notice, m_shownCount};
}

void EditCommands::showNotice(const QString& text)
{
    m_notice->setText(text);
    m_notice->show();
    m_noticeTimer->start();
}

void EditCommands::updateUndoCommands()
{
    m_undoAction->setEnabled(m_undoStack->canUndo());
    m_redoAction->setEnabled(m_undoStack->canRedo());
    // "Undo move to history": the user sees what the key would take back.
    const QString undo = m_undoStack->undoText();
    const QString redo = m_undoStack->redoText();
    const QString undoWord = LanguageTexts::shared().text("EditMenu", "Item1");
    const QString redoWord = LanguageTexts::shared().text("EditMenu", "Item2");
    m_undoAction->setText(undo.isEmpty() ? undoWord : undoWord + QLatin1Char(' ') + undo);
    m_redoAction->setText(redo.isEmpty() ? redoWord : redoWord + QLatin1Char(' ') + redo);
}

void EditCommands::find()
{
    Q_EMIT findStarted();
    m_filterBar->openBar();
    m_foldNext = 0;
    m_foldTimer->start();
}

namespace {
// About 10 ms of folding per turn of the event loop.
constexpr int kFoldSlice = 10000;
} // namespace

void EditCommands::foldSlice()
{
    const ItemFilter::Folding folding = ItemFilter::Folding::forLocale(Regional::locale());
    ToDoListModel* model = m_document->model();
    const int end = std::min(model->size(), m_foldNext + kFoldSlice);
    for (; m_foldNext < end; ++m_foldNext)
        model->searchKey(m_foldNext, folding);
    if (m_foldNext < model->size())
        return;
    m_foldTimer->stop();
    if (m_waitingFilter) {
        const ItemFilter filter = *m_waitingFilter;
        m_waitingFilter.reset();
        showFiltered(filter);
    }
}

void EditCommands::applyFilter(const QString& text, unsigned statuses)
{
    ItemFilter filter(Regional::locale());
    filter.setText(text);
    filter.setStatuses(statuses);
    m_waitingFilter.reset();
    if (filter.hasText() && m_foldTimer->isActive() &&
        m_document->model()->size() - m_foldNext > kFoldSlice) {
        m_waitingFilter = filter;
        return;
    }
    showFiltered(filter);
}

void EditCommands::showFiltered(const ItemFilter& filter)
{
    m_rows->setFilter(filter);
    // Rows the filter hides leave the selection: the commands and the memos follow what is still selected.
    Q_EMIT filterApplied();
    if (m_list->selectedRows().isEmpty())
        m_list->clearMemos();
    m_list->scrollToSelection();
}

void EditCommands::updateShownCount()
{
    const bool filtering = m_rows->filter().isActive();
    m_shownCount->setVisible(filtering);
    if (filtering)
        m_shownCount->setText(LanguageTexts::shared()
                                  .text("FindBar", "Item5")
                                  .arg(m_rows->shownCount())
                                  .arg(m_document->model()->size()));
}

void EditCommands::retranslate()
{
    m_menu->setTitle(LanguageTexts::shared().text("EditMenu", "Item0"));
    m_findAction->setText(LanguageTexts::shared().text("EditMenu", "Item3"));
    m_findAction->setStatusTip(LanguageTexts::shared().text("Hints_Main", "Find"));
    m_filterBar->retranslate();
    updateShownCount();
    updateUndoCommands();
}
