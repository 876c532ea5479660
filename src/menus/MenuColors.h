#pragma once

#include <QtGlobal>

// Colour arithmetic and the working colours of the flat menu painter. Colours are resolved RGB values
// 0x00BBGGRR (red in the lowest byte), as the settings file writes them; system colours are resolved by
// the caller before they come here.
namespace MenuColors {

// Each channel moves percent % of the way towards 255, rounded; percent is capped at 100.
quint32 lighten(quint32 color, int percent);
// Red and blue lose amount, green loses amount - 2; each channel is clamped to 0..255.
quint32 darken(quint32 color, int amount);
// The channel mean plus amount, at most 240, on all three channels.
quint32 gray(quint32 color, int amount);
// The lightening of one column of a gradient menu item, counted from the item's start edge: 1 for the
// first column, 3 more per column up to iconWidth + 5 pixels, 1 more per column after that, at most 96.
int gradientLevel(int column, int iconWidth);

// What the painter's colour properties say, already resolved.
struct Properties
{
    quint32 color = 0;
    quint32 iconBackColor = 0;
    quint32 menuBarColor = 0;
    quint32 selectColor = 0;
    quint32 selectBorderColor = 0;
    quint32 selectFontColor = 0;
    quint32 disabledColor = 0;
    quint32 separatorColor = 0;
    quint32 checkedColor = 0;
    // The colour of the painter's font.
    quint32 fontColor = 0;
    bool useSystemColors = false;
    bool useDimColor = false;
};

// The platform colours the table falls back on.
struct SystemColors
{
    quint32 buttonFace = 0;
    quint32 highlight = 0;
    quint32 buttonShadow = 0;
};

struct Working
{
    quint32 menuBackground = 0;
    quint32 iconStrip = 0;
    quint32 selectionFill = 0;
    quint32 selectionFrame = 0;
    quint32 selectedText = 0;
    quint32 checkedFill = 0;
    quint32 checkedFillSelected = 0;
    quint32 checkFrame = 0;
    quint32 menuBar = 0;
    quint32 disabledText = 0;
    quint32 separator = 0;

    bool operator==(const Working&) const = default;
};

// The working colours for a screen of highColor (16 or more bits per pixel) or fewer bits.
Working workingColors(const Properties& p, const SystemColors& sys, bool highColor);

} // namespace MenuColors
