#include "calendar/CalendarCells.h"

#include "calendar/CalendarMonth.h"

bool CalendarCells::inGrid(int col, int row)
{
    return col >= 0 && col < CalendarMonth::Columns && row >= 0 && row < CalendarMonth::Rows;
}

const QStringList* CalendarCells::CellStrings(int col, int row) const
{
    if (!inGrid(col, row))
        return nullptr;
    const auto& cell = m_cells[static_cast<size_t>(col * CalendarMonth::Rows + row)];
    return cell ? &*cell : nullptr;
}

void CalendarCells::setCellStrings(int col, int row, std::optional<QStringList> lines)
{
    if (inGrid(col, row))
        m_cells[static_cast<size_t>(col * CalendarMonth::Rows + row)] = std::move(lines);
}

bool CalendarCells::AddString(const CalendarMonth& month, int col, int row, const QString& line, int day)
{
    if (month.Updating() || month.ReadOnly() || !inGrid(col, row) || !month.cellHasText(col, row))
        return false;
    // The day's cell when the month has that day; otherwise the given cell stays the target.
    if (day >= 1 && day <= month.DaysThisMonth()) {
        const QPoint cell = month.cellOfDay(day);
        col = cell.x();
        row = cell.y();
    }
    auto& target = m_cells[static_cast<size_t>(col * CalendarMonth::Rows + row)];
    if (!target)
        target.emplace();
    target->append(line);
    return true;
}

void CalendarCells::ClearStrings()
{
    for (auto& cell : m_cells)
        cell.reset();
}
