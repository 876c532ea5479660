// The Edit menu: undo and redo of the changes of the rows, and the find bar that narrows the shown rows.
#include "app/TQuillmar.h"

#include "app/FilterBar.h"
#include "app/ItemFilterModel.h"
#include "app/ListUndoStack.h"
#include "app/WindowPrompter.h"
#include "config/LanguageTexts.h"
#include "platform/Regional.h"

#include <QAction>
#include <QBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QTreeView>

void TQuillmar::setupEditCommands()
{
    actUndo = new QAction(QStringLiteral("&Undo"), this);
    actUndo->setObjectName(QStringLiteral("actUndo"));
    actUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    actRedo = new QAction(QStringLiteral("&Redo"), this);
    actRedo->setObjectName(QStringLiteral("actRedo"));
    actRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    actFind = new QAction(QStringLiteral("&Find and filter"), this);
    actFind->setObjectName(QStringLiteral("actFind"));
    actFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    actFind->setStatusTip(QStringLiteral("Show only the items that contain a text or have chosen statuses"));
    connect(actUndo, &QAction::triggered, this, &TQuillmar::actUndoExecute);
    connect(actRedo, &QAction::triggered, this, &TQuillmar::actRedoExecute);
    connect(actFind, &QAction::triggered, this, &TQuillmar::actFindExecute);

    m_editMenu = new QMenu(QStringLiteral("&Edit"), this);
    m_editMenu->setObjectName(QStringLiteral("EditMenu"));
    m_editMenu->addAction(actUndo);
    m_editMenu->addAction(actRedo);
    m_editMenu->addSeparator();
    m_editMenu->addAction(actFind);
    menuBar()->insertMenu(m_toolsMenu->menuAction(), m_editMenu);

    connect(m_undoStack, &ListUndoStack::changed, this, &TQuillmar::updateUndoCommands);
    // What was brought back or done again is selected, so that the user sees it.
    connect(m_undoStack, &ListUndoStack::done, this, [this](const QList<int>& rows) {
        if (rows.isEmpty())
            return;
        selectRows(rows);
        if (const int shown = m_filterModel->proxyRow(rows.constFirst()); shown >= 0)
            lstToDo->scrollTo(m_filterModel->index(shown, 0));
    });
    connect(m_undoStack, &ListUndoStack::cleared, this, [this] {
        showNotice(QStringLiteral("Another list is shown: what was done before can no longer be undone."));
    });
    updateUndoCommands();

    // A tick in a check box is a change that can be taken back, like the others.
    m_filterModel->setCheckHandler(
        [this](int row, bool checked) { return m_document->setChecked(row, checked); });

    // The find bar sits above the list and its memos, hidden until Ctrl+F.
    m_filterBar = new FilterBar;
    m_filterBar->hide();
    if (auto* pageLayout = qobject_cast<QBoxLayout*>(ListSplitter->parentWidget()->layout()))
        pageLayout->insertWidget(0, m_filterBar);
    connect(m_filterBar, &FilterBar::filterChanged, this, &TQuillmar::applyFilter);
    connect(m_filterBar, &FilterBar::closed, this, [this] { lstToDo->setFocus(Qt::OtherFocusReason); });

    // Notices stay a while: the hint panel changes with every move of the mouse.
    m_notice = new QLabel;
    m_notice->setObjectName(QStringLiteral("EditNotice"));
    m_notice->setContentsMargins(4, 0, 4, 0);
    m_notice->hide();
    statusBar()->addPermanentWidget(m_notice);
    m_shownCount = new QLabel;
    m_shownCount->setObjectName(QStringLiteral("ShownCount"));
    m_shownCount->setContentsMargins(4, 0, 4, 0);
    m_shownCount->hide();
    statusBar()->addPermanentWidget(m_shownCount);
    m_noticeTimer = new QTimer(this);
    m_noticeTimer->setSingleShot(true);
    m_noticeTimer->setInterval(10000);
    connect(m_noticeTimer, &QTimer::timeout, m_notice, &QLabel::hide);
    connect(m_filterModel, &ItemFilterModel::countsChanged, this, &TQuillmar::updateShownCount);
}

void TQuillmar::showNotice(const QString& text)
{
    m_notice->setText(text);
    m_notice->show();
    m_noticeTimer->start();
}

void TQuillmar::actUndoExecute()
{
    m_undoStack->undo(*m_prompter);
}

void TQuillmar::actRedoExecute()
{
    m_undoStack->redo(*m_prompter);
}

void TQuillmar::updateUndoCommands()
{
    actUndo->setEnabled(m_undoStack->canUndo());
    actRedo->setEnabled(m_undoStack->canRedo());
    // "Undo move to history": the user sees what the key would take back.
    const QString undo = m_undoStack->undoText();
    const QString redo = m_undoStack->redoText();
    const QString undoWord = LanguageTexts::shared().text("EditMenu", "Item1");
    const QString redoWord = LanguageTexts::shared().text("EditMenu", "Item2");
    actUndo->setText(undo.isEmpty() ? undoWord : undoWord + QLatin1Char(' ') + undo);
    actRedo->setText(redo.isEmpty() ? redoWord : redoWord + QLatin1Char(' ') + redo);
}

void TQuillmar::actFindExecute()
{
    m_pages->setCurrentIndex(0);
    m_filterBar->openBar();
    // The rows' folded texts are made once the bar is shown, before the first key needs them.
    QTimer::singleShot(0, this, [this] {
        const ItemFilter::Folding folding = ItemFilter::Folding::forLocale(Regional::locale());
        for (int r = 0; r < listModel()->size(); ++r)
            listModel()->searchKey(r, folding);
    });
}

void TQuillmar::applyFilter(const QString& text, unsigned statuses)
{
    ItemFilter filter(Regional::locale());
    filter.setText(text);
    filter.setStatuses(statuses);
    m_filterModel->setFilter(filter);
    // Rows the filter hides leave the selection: the commands and the memos follow what is still selected.
    updateItemCommands();
    if (selectedRows().isEmpty()) {
        ActionMemo->clear();
        RemarksMemo->clear();
    }
    // The first shown row of the selection stays in sight.
    if (const QModelIndexList shown = lstToDo->selectionModel()->selectedRows(); !shown.isEmpty())
        lstToDo->scrollTo(*std::min_element(shown.begin(), shown.end()));
}

void TQuillmar::updateShownCount()
{
    const bool filtering = m_filterModel->filter().isActive();
    m_shownCount->setVisible(filtering);
    if (filtering)
        m_shownCount->setText(LanguageTexts::shared()
                                  .text("FindBar", "Item5")
                                  .arg(m_filterModel->shownCount())
                                  .arg(listModel()->size()));
}
