#pragma once

#include "calendar/CalendarCells.h"
#include "calendar/TBaseCalendar.h"

#include <functional>
#include <optional>

class QMimeData;

// A month calendar whose cells carry text lines. A day cell with a list (even an empty one) is painted in
// SelectedColor and SelectedFontColor and shows its lines below the day number, as many as fit whole.
// Lines come from AddString, from the need-strings hook while painting, or from text dropped on a cell.
class TStringsCalendar : public TBaseCalendar
{
    Q_OBJECT

public:
    // Asked for each day cell while painting, with the cell's current lines (nullptr for none); a list it
    // returns becomes the cell's list.
    using NeedStrings = std::function<std::optional<QStringList>(int col, int row, const QDate& date,
                                                                 const QStringList* current)>;
    // Asked while something is dragged over a cell: whether it may be dropped there.
    using CellDragOver = std::function<bool(int col, int row, const QMimeData* data)>;
    // Asked when something is dropped on a cell: the line to add there (empty adds nothing).
    using DroppedCell = std::function<QString(int col, int row, const QMimeData* data)>;

    explicit TStringsCalendar(QWidget* parent = nullptr);

    // The cell's lines; nullptr when the cell has none.
    const QStringList* CellStrings(int col, int row) const { return m_cells.CellStrings(col, row); }
    void setCellStrings(int col, int row, std::optional<QStringList> lines);
    // Appends a line to the cell of day (when not 0) or to the given cell; see CalendarCells.
    void AddString(int col, int row, const QString& line, int day);
    // Leaves every cell without a list, then updates.
    void ClearStrings();

    // A cell's lines come in entries of that many lines; a cell that cannot show them all ends with the
    // format ("+%1 more") filled with the number of entries not wholly shown.
    void setEntryLines(int linesPerEntry, const QString& moreFormat)
    {
        m_linesPerEntry = linesPerEntry;
        m_moreText = moreFormat;
    }
    void setNeedStrings(NeedStrings hook) { m_needStrings = std::move(hook); }
    void setCellDragOver(CellDragOver hook) { m_cellDragOver = std::move(hook); }
    // Drops are taken only while a handler is set.
    void setDroppedCell(DroppedCell hook);

protected:
    void chooseCellColors(CellPaint& cell) override;
    void paintCellContents(QPainter& painter, const CellPaint& cell) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool acceptsDropAt(const QPoint& point, const QMimeData* data, int& col, int& row) const;

    CalendarCells m_cells;
    int m_linesPerEntry = 1;
    QString m_moreText = QStringLiteral("+%1");
    NeedStrings m_needStrings;
    CellDragOver m_cellDragOver;
    DroppedCell m_droppedCell;
};
