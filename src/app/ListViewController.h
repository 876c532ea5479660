#pragma once

#include "model/ItemSorter.h"
#include "model/ToDoListModel.h"

#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <optional>

struct DisplaySettings;
class ItemFilterModel;
class ListDocument;
class QAction;
class QFont;
class QMenu;
class QSplitter;
class QTextEdit;
class ReportView;
class QVBoxLayout;
class QWidget;

// The column widths of a first start: the classic ones, but "Remarks" narrower so that "Actions", which
// takes what is left, has room in a window of the first-start size; captions widen their columns.
inline constexpr std::array<int, 9> kDesignedColumnWidths = {200, 20, 80, 80, 200, 60, 60, 80, 100};

// The "ToDo List" page: the list with its two memos, sorting by a click on a column, the selection and the
// commands that act on it alone (select completed, invert checks, sort checked, open the item's
// document) and the list's pop-up menu. Commands see list rows; the view shows the rows the find bar
// lets through, and the translation between the two is done here.
class ListViewController : public QObject
{
    Q_OBJECT

public:
    ListViewController(ListDocument* document, ItemFilterModel* rows, QWidget* window);

    ReportView* view() const { return m_view; }
    QWidget* page() const { return m_page; }
    QSplitter* listSplitter() const { return m_listSplitter; }
    QSplitter* memoSplitter() const { return m_memoSplitter; }
    QTextEdit* actionMemo() const { return m_actionMemo; }
    QAction* sortCheckedAction() const { return m_sortCheckedAction; }
    // The tool bar's part of this page's commands, in the tool bar's order (null for a separator).
    QList<QAction*> toolBarActions() const;
    // The item commands lead the pop-up menu; opening the document closes it.
    void addToPopup(const QList<QAction*>& itemActions);

    // Selected rows of the list, ascending.
    QList<int> selectedRows() const;
    // Selects the list rows the find bar lets through.
    void selectRows(const QList<int>& rows);
    bool isShown(int row) const;
    // The row comes into sight and is the current one, where the keys start from.
    void showRow(int row);
    // The first shown row of the selection comes into sight.
    void scrollToSelection();
    void clearMemos();
    // The list's colour and grid, the memos' colour and the fonts, as far as the settings were read.
    void applyDisplay(const DisplaySettings& settings);
    // Stored widths (-1: as designed) are applied as they are, below the designed minimums too.
    void setColumnWidths(const QList<int>& widths);
    QList<int> columnWidths() const;
    void retranslate();

Q_SIGNALS:
    // A double click: the row is to be edited.
    void rowActivated();
    // The selected row's action text, on one line, for the status bar.
    void selectionShown(const QString& action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();
    // The hints (and the texts of the tool-bar-only commands) of the language in effect.
    void applyHints();
    void createWidgets();
    void connectView();
    void showSelected(bool withHint);
    void sortByColumn(int column);
    void selectCompleted();
    void uncheckSelected();
    void updateOpenCommand();
    void openDocument();
    void fitColumnsToHeaders();
    void fillActionsColumn();
    void fitDesignedWidths(const QFont& itemFont);
    ToDoListModel* model() const;

    ListDocument* m_document;
    ItemFilterModel* m_rows;
    QWidget* m_window;
    QWidget* m_page = nullptr;
    ReportView* m_view = nullptr;
    QSplitter* m_listSplitter = nullptr;
    QSplitter* m_memoSplitter = nullptr;
    QTextEdit* m_actionMemo = nullptr;
    QTextEdit* m_remarksMemo = nullptr;
    QMenu* m_popup = nullptr;
    QAction* m_sortCheckedAction = nullptr;
    QAction* m_selectCompletedAction = nullptr;
    QAction* m_uncheckAction = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_popupSeparator = nullptr;

    SortKind m_sortKind = SortKind::Text;
    std::array<bool, ToDoListModel::ColumnCount> m_sortDescending{};
    bool m_sortChecked = false;
    std::array<int, ToDoListModel::ColumnCount> m_designedWidths{};
    bool m_loadingColumnWidths = false;
    // The list rows selected, until the selection or the shown rows change.
    mutable std::optional<QList<int>> m_selected;
};
