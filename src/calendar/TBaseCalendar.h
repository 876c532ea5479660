#pragma once

#include "calendar/CalendarLayout.h"
#include "calendar/CalendarMonth.h"

#include <QColor>
#include <QDateTime>
#include <QWidget>

// A month calendar: a grid of seven columns and seven rows, day names in row 0 and the day numbers below.
// It keeps the current date (CalendarMonth does the arithmetic), draws the current cell as selected and
// today's date with a frame of its own, can block columns 0 and 6, and reports date and month changes.
//
// Mouse: a press moves the current cell, the release selects the day and reports the click with the cell
// under the pointer. Keys: arrows move the day (into the next or previous month too), Page Up and Page
// Down the month.
class TBaseCalendar : public QWidget
{
    Q_OBJECT

public:
    explicit TBaseCalendar(QWidget* parent = nullptr);

    QDateTime CalendarDate() const { return m_month.CalendarDate(); }
    void setCalendarDate(const QDateTime& value);
    int Year() const { return m_month.Year(); }
    int Month() const { return m_month.Month(); }
    int Day() const { return m_month.Day(); }
    void setYear(int value);
    void setMonth(int value);
    void setDay(int value);
    int DaysThisMonth() const { return m_month.DaysThisMonth(); }
    QString CellText(int col, int row) const { return m_month.CellText(col, row); }
    // The cell at a point in widget coordinates; false on a grid line, the frame or outside.
    bool MouseToCell(const QPoint& point, int& col, int& row) const;
    QRect cellRect(int col, int row) const { return layout().cellRect(col, row); }
    QPoint currentCell() const { return m_month.currentCell(); }
    void PrevMonth();
    void NextMonth();

    bool BlockWeekends() const { return m_month.BlockWeekends(); }
    void setBlockWeekends(bool on);
    bool ReadOnly() const { return m_month.ReadOnly(); }
    void setReadOnly(bool on) { m_month.setReadOnly(on); }
    int StartOfWeek() const { return m_month.StartOfWeek(); }
    void setStartOfWeek(int dayOfWeek);
    bool FixedHeader() const { return m_fixedHeader; }
    void setFixedHeader(bool on);
    bool Updating() const { return m_month.Updating(); }
    int MonthOffset() const { return m_month.MonthOffset(); }

    QColor BlockedColor() const { return m_blockedColor; }
    void setBlockedColor(const QColor& color);
    QColor SelectedColor() const { return m_selectedColor; }
    void setSelectedColor(const QColor& color);
    QColor SelectedFontColor() const { return m_selectedFontColor; }
    void setSelectedFontColor(const QColor& color);
    // Background of the day cells.
    QColor Color() const { return m_color; }
    void setColor(const QColor& color);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // After every update, also when the date stayed the same.
    void dateChanged(const QDateTime& date);
    void monthChanged(int month);
    // A cell was clicked (the cell under the pointer) or reached with the keyboard (the current cell).
    void cellClicked(int col, int row);
    void cellDoubleClicked(int col, int row, const QPoint& globalPos);

protected:
    // How one cell is painted: its state and the colours the classes choose in turn.
    struct CellPaint
    {
        int col = 0;
        int row = 0;
        QRect rect;
        bool selected = false;
        bool focused = false;
        bool fixed = false;
        QColor background;
        QColor text;
    };

    // The colours of a cell; subclasses decide first and call on, later steps overriding earlier ones.
    virtual void chooseCellColors(CellPaint& cell);
    // Drawn after the cell's background and text.
    virtual void paintCellContents(QPainter& painter, const CellPaint& cell);

    // Date change through a setter: runs the update when the value differs.
    void UpdateCalendar();
    CalendarMonth& month() { return m_month; }
    const CalendarMonth& month() const { return m_month; }
    CalendarLayout layout() const;
    // A mouse button released over the calendar, after the click; the range calendar hooks in here.
    virtual void released(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void clickCurrent();
    int headerHeight() const;

    CalendarMonth m_month;
    bool m_fixedHeader = true;
    bool m_pressed = false;
    bool m_skipRelease = false;
    QColor m_blockedColor{0x80, 0x80, 0x80};
    QColor m_selectedColor{0xC0, 0xC0, 0xC0};
    QColor m_selectedFontColor{0x00, 0x00, 0x80};
    QColor m_color;
};
