#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Where the cells of a 7 x 7 calendar lie in a given area: seven whole columns and seven whole rows, the
// area snapped down to them. A 2-pixel frame surrounds the cells and grid lines of gridLine pixels run
// between them. With a fixed header, row 0 gets headerHeight and rows 1 to 6 share the rest.
class CalendarLayout
{
public:
    static CalendarLayout fit(const QSize& area, int gridLine, int headerHeight, bool fixedHeader);

    int columnWidth() const { return m_columnWidth; }
    int rowHeight(int row) const { return row == 0 ? m_headerHeight : m_rowHeight; }
    int gridLine() const { return m_gridLine; }
    // The size the cells take, frame included.
    QSize snappedSize() const { return m_snapped; }
    QRect cellRect(int col, int row) const;
    // The cell at a point (MouseToCell); nullopt on the frame, a grid line or outside.
    std::optional<QPoint> cellAt(const QPoint& point) const;

    // How a day cell's lines share its height: line i (0-based) stands at textHeight x (i + 1) below the
    // cell's top and shows when textHeight is not greater than the height left from there. When not all
    // lines show, the last place that fits says how many entries (linesPerEntry lines each) are not
    // shown, and the whole entries before it are drawn.
    struct CellLines
    {
        int drawn = 0;         // lines drawn from the first
        int hiddenEntries = 0; // entries a "more" line counts; 0: no such line
    };
    static CellLines cellLines(int cellHeight, int textHeight, int lineCount, int linesPerEntry);

private:
    int m_columnWidth = 0;
    int m_rowHeight = 0;
    int m_headerHeight = 0;
    int m_gridLine = 1;
    QSize m_snapped;
};
