#pragma once

#include "config/Config.h"
#include "model/ToDoItem.h"

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class ItemEditorDialog;
class ListDocument;
class ListPrompter;
class ListViewController;
class QuickAddBar;
class QAction;
class QWidget;

// The commands that change rows: add, edit, delete and move to history, with the Delete and Enter keys
// of the list. Commands that cannot act are disabled rather than answering with a message: nothing is
// added to a list without a place to be saved, and nothing is deleted from or moved out of the history.
class ItemCommands : public QObject
{
    Q_OBJECT

public:
    ItemCommands(ListDocument* document, ListPrompter& prompter, ListViewController* list, QWidget* window);

    // In the order of the Tools menu, the tool bar and the list's pop-up menu.
    QList<QAction*> actions() const;
    // For the list's pop-up menu: every row command.
    QList<QAction*> popupActions() const;
    // The editor's memo colour and font follow the list's.
    void setEditorLook(const QColor& memoColor, const QString& fontName);
    // A new item starts on today (Date In) with tomorrow as Target.
    void setUseBeginDate(bool use) { m_useBeginDate = use; }
    // Opens the editor for a new item; a valid date starts it with that Date In and the next day as Target.
    void addItem(const QDateTime& date);
    // Edits the row at index, or the selected row for -1.
    void editItem(int index);
    void editIfEnabled();
    // The quick-add line above the list (Ctrl+L): its text becomes an item, a date at its end the Target.
    QuickAddBar* quickAddBar() const { return m_quickAdd; }
    bool quickAdd(const QString& line);
    // The session ends: an open item editor's text goes into the list as if OK had been pressed.
    void keepOpenEditor();
    void updateEnabled();
    void retranslate();

Q_SIGNALS:
    void notice(const QString& text);

private:
    void deleteSelected(bool withHistory);
    void askAndDelete();
    // Runs an item editor: apply keeps its item in the list after OK, dismissed runs after Cancel. When
    // the session ends meanwhile, keepOpenEditor applies it instead and neither runs here.
    void runEditor(ItemEditorDialog& editor, const std::function<void()>& apply,
                   const std::function<void()>& dismissed);
    // The editor's OK on the item before held by row when it opened.
    void applyEdit(int row, const ToDoItem& before, const ToDoItem& edited, const QByteArrayList& owners,
                   const QByteArrayList& projects, const std::function<void()>& keepNames);

    ListDocument* m_document;
    ListPrompter& m_prompter;
    ListViewController* m_list;
    QWidget* m_window;
    QAction* m_addAction = nullptr;
    QAction* m_editAction = nullptr;
    QAction* m_deleteAction = nullptr;
    QAction* m_toHistoryAction = nullptr;
    QuickAddBar* m_quickAdd = nullptr;
    QColor m_memoColor = Qt::white;
    QString m_fontName = Config::defaultText(Config::Key::FontName);
    bool m_useBeginDate = true;
    QPointer<ItemEditorDialog> m_openEditor;
    std::function<void()> m_applyOpenEditor;
};
