#include "menus/MenuColors.h"

#include <algorithm>

namespace MenuColors {
namespace {
int channel(quint32 color, int shift)
{
    return int((color >> shift) & 0xFF);
}

quint32 rgb(int r, int g, int b)
{
    return quint32(std::clamp(r, 0, 255)) | (quint32(std::clamp(g, 0, 255)) << 8) |
           (quint32(std::clamp(b, 0, 255)) << 16);
}

constexpr quint32 kWhite = 0xFFFFFF;
constexpr quint32 kSilver = 0xC0C0C0;
} // namespace

quint32 lighten(quint32 color, int percent)
{
    const int p = std::clamp(percent, 0, 100);
    // Rounded to the nearest whole number; the values are never negative.
    auto up = [p](int v) { return v + ((255 - v) * p * 2 + 100) / 200; };
    return rgb(up(channel(color, 0)), up(channel(color, 8)), up(channel(color, 16)));
}

quint32 darken(quint32 color, int amount)
{
    return rgb(channel(color, 0) - amount, channel(color, 8) - amount + 2, channel(color, 16) - amount);
}

quint32 gray(quint32 color, int amount)
{
    const int g = std::min((channel(color, 0) + channel(color, 8) + channel(color, 16)) / 3 + amount, 240);
    return rgb(g, g, g);
}

int gradientLevel(int column, int iconWidth)
{
    const int steep = iconWidth + 5;
    const int level = column < steep ? 1 + 3 * column : 1 + 3 * (steep - 1) + (column - steep + 1);
    return std::min(level, 96);
}

Working workingColors(const Properties& p, const SystemColors& sys, bool highColor)
{
    Working w;
    if (p.useSystemColors) {
        if (highColor) {
            w.menuBackground = lighten(sys.buttonFace, 86);
            w.iconStrip = lighten(sys.buttonFace, 16);
            w.selectionFill = lighten(sys.highlight, 68);
            w.checkedFill = lighten(sys.highlight, 80);
            w.checkedFillSelected = lighten(sys.highlight, 50);
            w.disabledText = lighten(sys.buttonShadow, 10);
            w.separator = lighten(sys.buttonShadow, 25);
        } else {
            w.menuBackground = kWhite;
            w.iconStrip = sys.buttonFace;
            w.selectionFill = kWhite;
            w.checkedFill = kWhite;
            w.checkedFillSelected = kWhite;
            w.disabledText = sys.buttonShadow;
            w.separator = sys.buttonShadow;
        }
        w.selectionFrame = sys.highlight;
        w.selectedText = p.fontColor;
        w.checkFrame = sys.highlight;
        w.menuBar = sys.buttonFace;
        return w;
    }
    w.menuBackground = p.color;
    w.iconStrip = p.iconBackColor;
    w.selectionFrame = p.selectBorderColor;
    w.selectedText = p.selectFontColor;
    w.checkFrame = p.checkedColor;
    w.menuBar = p.menuBarColor;
    w.disabledText = p.disabledColor;
    w.separator = p.separatorColor;
    if (!highColor) {
        w.selectionFill = p.selectColor;
        w.checkedFill = kWhite;
        w.checkedFillSelected = kSilver;
    } else if (p.useDimColor) {
        w.selectionFill = lighten(p.selectColor, 68);
        w.checkedFill = lighten(p.selectColor, 80);
        w.checkedFillSelected = lighten(p.selectColor, 50);
    } else {
        w.selectionFill = p.selectColor;
        w.checkedFill = p.selectColor;
        w.checkedFillSelected = p.selectColor;
    }
    return w;
}

} // namespace MenuColors
