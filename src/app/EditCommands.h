#pragma once

#include "model/ItemFilter.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class FilterBar;
class ItemFilterModel;
class ListDocument;
class ListPrompter;
class ListUndoStack;
class ListViewController;
class QAction;
class QLabel;
class QMenu;
class QTimer;
class QWidget;

// The Edit menu: undo and redo of the changes of the rows, and the find bar above the list that narrows
// the shown rows; with the two status bar fields that go with them, a notice that stays a while and
// "N of M shown" while the find bar leaves rows out.
class EditCommands : public QObject
{
    Q_OBJECT

public:
    EditCommands(ListDocument* document, ListUndoStack* undoStack, ListPrompter& prompter,
                 ItemFilterModel* rows, ListViewController* list, QWidget* window);

    QMenu* menu() const { return m_menu; }
    // For the status bar's right end.
    QList<QLabel*> statusFields() const;
    void showNotice(const QString& text);
    void retranslate();

Q_SIGNALS:
    // The find bar opened: the list's page is to be shown.
    void findStarted();
    // Rows the filter hides left the selection.
    void filterApplied();

private:
    void foldSlice();
    void find();
    void applyFilter(const QString& text, unsigned statuses);
    void showFiltered(const ItemFilter& filter);
    void updateUndoCommands();
    void updateShownCount();

    ListDocument* m_document;
    ListUndoStack* m_undoStack;
    ListPrompter& m_prompter;
    ItemFilterModel* m_rows;
    ListViewController* m_list;
    QAction* m_undoAction = nullptr;
    QAction* m_redoAction = nullptr;
    QAction* m_findAction = nullptr;
    QMenu* m_menu = nullptr;
    FilterBar* m_filterBar = nullptr;
    QLabel* m_notice = nullptr;
    QLabel* m_shownCount = nullptr;
    QTimer* m_noticeTimer = nullptr;
    QTimer* m_foldTimer = nullptr;
    // The next row whose folded texts are to be made.
    int m_foldNext = 0;
    // A find typed while many rows' texts were still to be folded: it is applied by the last slice.
    std::optional<ItemFilter> m_waitingFilter;
};
