#include "app/ListFileActions.h"

#include "app/Hints.h"
#include "config/LanguageTexts.h"
#include "model/ListDocument.h"
#include "model/ListPrompter.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QTimer>
#include <QWidget>

ListFileActions::ListFileActions(ListDocument* document, ListPrompter& prompter, QWidget* window)
    : QObject(window), m_document(document), m_prompter(prompter)
{
    m_waitTimer = new QTimer(this);
    m_waitTimer->setInterval(200);
    connect(m_waitTimer, &QTimer::timeout, this, &ListFileActions::openWaitingFiles);
    // Children of the window, so that its key shortcuts reach them and they are found by name.
    auto make = [window](const char* name, const QString& text) {
        auto* action = new QAction(text, window);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    m_openStandardAction = make("OpenStandardToDo", QStringLiteral("&Open standard ToDo  "));
    m_loadHistoryAction = make("actLoadHistory", QStringLiteral("Load &history Todo list"));
    applyHint(m_loadHistoryAction, LanguageTexts::shared().text("Hints_Main", "LoadHistory"));
    m_saveHistoryAction = make("actSaveHistory", QStringLiteral("&Save history Todo"));
    applyHint(m_saveHistoryAction, LanguageTexts::shared().text("Hints_Main", "SaveHistory"));
    m_newExternalAction = make("actNewExternal", QStringLiteral("&New external ToDo list"));
    m_openExternalAction = make("actOpenExternal", QStringLiteral("&Open external ToDo list"));
    m_saveExternalAction = make("actSaveExternal", QStringLiteral("&Save external ToDo list"));
    m_openExternalAction->setShortcut(QKeySequence::Open);

    auto listCommand = [this](QAction* action, bool (ListDocument::*operation)(ListPrompter&)) {
        connect(action, &QAction::triggered, this,
                [this, operation] { (m_document->*operation)(m_prompter); });
    };
    listCommand(m_openStandardAction, &ListDocument::OpenStandardList);
    listCommand(m_loadHistoryAction, &ListDocument::LoadHistoryList);
    listCommand(m_saveHistoryAction, &ListDocument::SaveHistoryList);
    listCommand(m_newExternalAction, &ListDocument::NewEmptyList);
    listCommand(m_openExternalAction, &ListDocument::OpenExternalList);
    listCommand(m_saveExternalAction, &ListDocument::SaveExternalList);
}

QList<QAction*> ListFileActions::fileActions() const
{
    return {m_openStandardAction, m_loadHistoryAction, m_saveHistoryAction};
}

QList<QAction*> ListFileActions::externalActions() const
{
    return {m_newExternalAction, m_openExternalAction, m_saveExternalAction};
}

void ListFileActions::updateEnabled()
{
    m_saveHistoryAction->setEnabled(m_document->mode() == ListMode::History);
}

void ListFileActions::retranslate()
{
    const LanguageTexts& texts = LanguageTexts::shared();
    m_openStandardAction->setText(texts.text("FileMenu", "Item0"));
    m_loadHistoryAction->setText(texts.text("FileMenu", "Item1"));
    m_saveHistoryAction->setText(texts.text("FileMenu", "Item2"));
    applyHint(m_loadHistoryAction, texts.text("Hints_Main", "LoadHistory"));
    applyHint(m_saveHistoryAction, texts.text("Hints_Main", "SaveHistory"));
    m_newExternalAction->setText(texts.text("ImExport", "Item0"));
    m_openExternalAction->setText(texts.text("ImExport", "Item1"));
    m_saveExternalAction->setText(texts.text("ImExport", "Item2"));
}

void ListFileActions::openHandedOver(const QString& listFile)
{
    m_waitingFiles.append(listFile);
    openWaitingFiles();
}

void ListFileActions::openWaitingFiles()
{
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        m_waitTimer->start();
        return;
    }
    m_waitTimer->stop();
    while (!m_waitingFiles.isEmpty())
        m_document->openListFile(m_waitingFiles.takeFirst(), m_prompter);
}
