#include "config/ColorGridCells.h"

#include <algorithm>
#include <array>

namespace {
constexpr std::array<quint32, ColorGridCells::Count> kCells = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

int ordinal(ColorGridCells::Ordering ordering)
{
    return std::clamp(static_cast<int>(ordering), 0, 4);
}
} // namespace

quint32 ColorGridCells::color(int index)
{
    return index >= 0 && index < Count ? kCells[static_cast<size_t>(index)] : 0;
}

int ColorGridCells::indexOf(quint32 rgb)
{
    const auto it = std::find(kCells.begin(), kCells.end(), rgb & 0x00FFFFFFu);
    // A system colour reference (high byte set) is no RGB value: it matches no cell until resolved.
    if ((rgb & 0xFF000000u) != 0 || it == kCells.end())
        return -1;
    return static_cast<int>(it - kCells.begin());
}

int ColorGridCells::columns(Ordering ordering)
{
    return 16 >> ordinal(ordering);
}

int ColorGridCells::rows(Ordering ordering)
{
    return 1 << ordinal(ordering);
}

QSize ColorGridCells::trimmedSize(QSize client, Ordering ordering)
{
    const int cols = columns(ordering);
    const int rowCount = rows(ordering);
    return {std::max(0, client.width()) / cols * cols, std::max(0, client.height()) / rowCount * rowCount};
}

QRect ColorGridCells::cellRect(int index, QSize client, Ordering ordering)
{
    if (index < 0 || index >= Count)
        return {};
    const int cols = columns(ordering);
    const int w = std::max(0, client.width()) / cols;
    const int h = std::max(0, client.height()) / rows(ordering);
    return {index % cols * w, index / cols * h, w, h};
}

int ColorGridCells::cellAt(QPoint pos, QSize client, Ordering ordering)
{
    const int cols = columns(ordering);
    const int rowCount = rows(ordering);
    const QSize area = trimmedSize(client, ordering);
    if (area.isEmpty())
        return 0;
    const int x = std::clamp(pos.x(), 0, area.width() - 1);
    const int y = std::clamp(pos.y(), 0, area.height() - 1);
    const int col = x / (area.width() / cols);
    const int row = y / (area.height() / rowCount);
    return row * cols + col;
}

QString ColorGridCells::label(int index, int foreground, int background, bool foregroundEnabled,
                              bool backgroundEnabled)
{
    const bool fg = foregroundEnabled && index == foreground;
    const bool bg = backgroundEnabled && index == background;
    if (fg && bg)
        return QStringLiteral("FB");
    if (fg)
        return QStringLiteral("FG");
    if (bg)
        return QStringLiteral("BG");
    return {};
}

quint32 ColorGridCells::labelColor(quint32 cellColor)
{
    quint32 result = 0;
    for (int shift : {0, 8, 16}) {
        const quint32 channel = (cellColor >> shift) & 0xFFu;
        result |= (channel >= 128 ? 0u : 255u) << shift;
    }
    return result;
}
