#pragma once

#include "calendar/CalendarEntries.h"

#include <QDateTime>
#include <QFont>
#include <QPoint>
#include <QWidget>

#include <functional>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QToolBar;
class QToolButton;
class TRngSelCalendar;
class ToDoListModel;

// The calendar page: the shown month with the open items on the days of their Target and Date In, a memo
// with the lines of the clicked day, and buttons for the previous month, today and the next month.
//
// It only reads the rows. Adding an item for a day and editing an item are asked for through signals. The
// day cells are rebuilt from the rows whenever the month changes, the page is shown again or the rows
// change while it is shown, so the row numbers in the cells always name the rows they were made from.
class CalendarPage : public QWidget
{
    Q_OBJECT

public:
    explicit CalendarPage(const ToDoListModel* rows, QWidget* parent = nullptr);

    // The day cells' background (the list's background).
    void setCalendarColor(const QColor& color);
    void setMemoColors(const QColor& background, const QColor& text);
    // The item font name, for the calendar and the memo.
    void setItemFontName(const QString& family);
    // The texts of the language in effect: the buttons' hints and what a busy day says.
    void retranslate();
    // The captions the list shows for its columns (those of the language in effect); without it the
    // built-in ones.
    void setColumnCaptions(std::function<QString(int column)> captionOf)
    {
        m_captionOf = std::move(captionOf);
    }
    // The list's font; the month caption is it in bold, 16 points.
    void setListFont(const QFont& font);

Q_SIGNALS:
    // A double click on a day without entries: a new item for that date.
    void addItemRequested(const QDateTime& date);
    // A double click on a day with one entry, or an entry chosen from the day's menu.
    void editItemRequested(int row);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Clears the cells and fills them again from the rows (only while the page is shown).
    void reload();
    void RefreshCalendar();
    void showMonthCaption();
    void FillCalendarMonth(int month, int year);
    void AddItemToCalendar(int row, CalendarEntries::Kind kind, int day,
                           const CalendarEntries::Captions& captions);
    void ShowItemRange(const QString& line);
    void ShowDayItemsMenu(const QStringList& lines, const QPoint& globalPos);
    void AddCalPopItem(const QString& caption);

    void RSCalClick(int col, int row);
    void RSCalDblClick(int col, int row, const QPoint& globalPos);
    void CalPopItemClick(QAction* entry);
    void showToday();
    void rowsChanged();
    // Shows the lines of a cell in the memo; false when the cell has none.
    bool showCellLines(int col, int row);

    const ToDoListModel* m_rows;
    QToolBar* m_monthBar = nullptr;
    QToolButton* m_prevMonthButton = nullptr;
    QToolButton* m_todayButton = nullptr;
    QToolButton* m_nextMonthButton = nullptr;
    QLabel* m_datePanel = nullptr;
    QSplitter* m_calendarSplitter = nullptr;
    TRngSelCalendar* m_calendar = nullptr;
    QPlainTextEdit* m_memo = nullptr;
    QMenu* m_popupMenu = nullptr;
    QFont m_listFont;
    // The rows changed since the cells were filled.
    bool m_stale = true;
    bool m_reloadQueued = false;
    // The cell whose lines the memo shows; (-1, -1) for none.
    QPoint m_memoCell{-1, -1};
    std::function<QString(int)> m_captionOf;
};
