#include "calendar/CalendarLayout.h"

#include <algorithm>

namespace {
constexpr int kFrame = 2;
}

CalendarLayout CalendarLayout::fit(const QSize& area, int gridLine, int headerHeight, bool fixedHeader)
{
    CalendarLayout l;
    const int g = std::max(0, gridLine);
    l.m_gridLine = g;
    l.m_columnWidth = std::max(0, (area.width() - 6 * g) / 7);
    int height = 0;
    if (fixedHeader) {
        l.m_rowHeight = std::max(0, (area.height() - headerHeight - 6 * g) / 6);
        l.m_headerHeight = headerHeight;
        height = (l.m_rowHeight + g) * 6 + 4 + headerHeight + g;
    } else {
        l.m_rowHeight = std::max(0, (area.height() - 6 * g) / 7);
        l.m_headerHeight = l.m_rowHeight;
        height = (l.m_rowHeight + g) * 7 + 4;
    }
    l.m_snapped = QSize((l.m_columnWidth + g) * 7 + 4, height);
    return l;
}

QRect CalendarLayout::cellRect(int col, int row) const
{
    const int x = kFrame + col * (m_columnWidth + m_gridLine);
    const int y =
        row == 0 ? kFrame : kFrame + m_headerHeight + m_gridLine + (row - 1) * (m_rowHeight + m_gridLine);
    return QRect(x, y, m_columnWidth, rowHeight(row));
}

std::optional<QPoint> CalendarLayout::cellAt(const QPoint& point) const
{
    for (int row = 0; row < 7; ++row) {
        const QRect r = cellRect(0, row);
        if (point.y() < r.top() || point.y() > r.bottom())
            continue;
        for (int col = 0; col < 7; ++col) {
            const QRect c = cellRect(col, row);
            if (point.x() >= c.left() && point.x() <= c.right())
                return QPoint(col, row);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

CalendarLayout::CellLines CalendarLayout::cellLines(int cellHeight, int textHeight, int lineCount,
                                                    int linesPerEntry)
{
    if (textHeight <= 0 || lineCount <= 0)
        return {};
    // Places left under the day number: line i fits while textHeight <= cellHeight - textHeight x (i + 1).
    const int places = std::max(0, cellHeight / textHeight - 1);
    if (places >= lineCount)
        return {lineCount, 0};
    if (places == 0)
        return {};
    const int perEntry = std::max(1, linesPerEntry);
    // Whole entries only before the count: an entry's first lines without its Action tell nothing.
    const int drawn = (places - 1) / perEntry * perEntry;
    const int entries = (lineCount + perEntry - 1) / perEntry;
    return {drawn, entries - drawn / perEntry};
}
