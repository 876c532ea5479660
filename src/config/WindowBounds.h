#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

class IniFile;

// The main window's layout in the settings file ("Bounds" and "Columnwidth"). Only a window left in its
// normal state has its bounds, splitter sizes and column widths kept; a maximised or minimised one keeps
// only that state and starts as designed next time.
struct WindowBounds
{
    enum class State
    {
        Normal,
        Minimized,
        Maximized
    };

    State state = State::Normal;
    // A missing value, or one that is no whole number, keeps the designed one.
    std::optional<int> left, top, width, height, listHeight, actionWidth;
    // Stored widths; -1 for "as designed" (stored as 99). 0 hides the column.
    QList<int> columnWidths;

    // columns: how many "ColumnN" keys to read.
    static WindowBounds read(const IniFile& ini, int columns);
    // Puts every value back where one write per value would leave it: the bounds moved to the end of
    // their section, the columns in place.
    void writeTo(IniFile& ini) const;
};
