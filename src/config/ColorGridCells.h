#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QtGlobal>

// The arithmetic of the colour grid: sixteen cells in the colours of the default 20-colour palette
// without its four system entries, laid out in one of five orderings, with their labels.
// Colours are 0x00BBGGRR values, as in the settings file.
class ColorGridCells
{
public:
    static constexpr int Count = 16;

    // Ordinal n gives 16 >> n columns and 1 << n rows.
    enum class Ordering
    {
        go16x1,
        go8x2,
        go4x4,
        go2x8,
        go1x16,
    };

    // Black, maroon, green, olive, navy, purple, teal, silver, gray, red, lime, yellow, blue, fuchsia,
    // aqua, white; 0 for an index outside the cells.
    static quint32 color(int index);
    // The first cell showing that colour (already resolved to RGB), or -1.
    static int indexOf(quint32 rgb);

    static int columns(Ordering ordering);
    static int rows(Ordering ordering);
    // The area the cells fill: client size cut down to whole cells.
    static QSize trimmedSize(QSize client, Ordering ordering);
    // Cells are numbered row by row.
    static QRect cellRect(int index, QSize client, Ordering ordering);
    // The cell under pos; a point outside the client area counts as the nearest point inside it.
    static int cellAt(QPoint pos, QSize client, Ordering ordering);

    // "FG", "BG", "FB" for a cell that is both, or empty; a disabled colour has no label.
    static QString label(int index, int foreground, int background, bool foregroundEnabled,
                         bool backgroundEnabled);
    // Per channel 0 where the cell's channel is 128 or more, 255 otherwise: readable on any cell.
    static quint32 labelColor(quint32 cellColor);
};
