#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

class ListDocument;
class ListPrompter;
class QAction;
class QTimer;
class QWidget;

// The commands that choose or save the list shown: open the standard list, load and save the history
// list (File menu), and new, open and save an external list (Im-Export menu). Each is the document's
// operation; the window's prompter asks its questions.
class ListFileActions : public QObject
{
    Q_OBJECT

public:
    ListFileActions(ListDocument* document, ListPrompter& prompter, QWidget* window);

    // The File menu's three, in its order.
    QList<QAction*> fileActions() const;
    // The Im-Export menu's three, in its order.
    QList<QAction*> externalActions() const;
    // Saving the history list is offered while it is shown.
    void updateEnabled();
    void retranslate();
    // Opens a list file another start of the program handed over. While a dialog of the window is open,
    // the file waits: an edit in progress must land in the list it was started on.
    void openHandedOver(const QString& listFile);

private:
    void openWaitingFiles();

    ListDocument* m_document;
    ListPrompter& m_prompter;
    QStringList m_waitingFiles;
    QTimer* m_waitTimer = nullptr;
    QAction* m_openStandardAction = nullptr;
    QAction* m_loadHistoryAction = nullptr;
    QAction* m_saveHistoryAction = nullptr;
    QAction* m_newExternalAction = nullptr;
    QAction* m_openExternalAction = nullptr;
    QAction* m_saveExternalAction = nullptr;
};
