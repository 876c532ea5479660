#pragma once

#include <QStringList>

#include <array>
#include <optional>

class CalendarMonth;

// The text lines of the 7 x 7 calendar cells. A cell either has no list or owns one (possibly empty); the
// lists belong to the cells, not to dates, so they stay where they are when the month changes.
class CalendarCells
{
public:
    // The cell's lines; nullptr when it has no list.
    const QStringList* CellStrings(int col, int row) const;
    // Stores a list (or none) for a cell, replacing what it had.
    void setCellStrings(int col, int row, std::optional<QStringList> lines);
    // Appends a line to a cell of the month. A non-zero day aims at that day's cell instead of the given
    // one. Ignored while the calendar updates, when it is read-only, or when the cell shows no text. True
    // when the line was added.
    bool AddString(const CalendarMonth& month, int col, int row, const QString& line, int day);
    // Every cell without a list.
    void ClearStrings();

private:
    static bool inGrid(int col, int row);

    std::array<std::optional<QStringList>, 49> m_cells;
};
