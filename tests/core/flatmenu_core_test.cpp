#include "menus/MenuColors.h"

#include <gtest/gtest.h>

using namespace MenuColors;

namespace {
constexpr quint32 rgb(int r, int g, int b)
{
    return quint32(r) | (quint32(g) << 8) | (quint32(b) << 16);
}
} // namespace

TEST(MenuColorsTest, Arithmetic)
{
    struct Case
    {
        const char* what;
        quint32 got;
        quint32 expected;
    };
    const Case cases[] = {
        // The classic highlight (10, 36, 106) lightened 68 %: the selection fill of the main window.
        {"lighten 68", lighten(rgb(10, 36, 106), 68), rgb(177, 185, 207)},
        {"lighten rounds halves up", lighten(rgb(0, 1, 255), 50), rgb(128, 128, 255)},
        {"lighten 0 keeps", lighten(rgb(12, 34, 56), 0), rgb(12, 34, 56)},
        {"lighten caps at 100", lighten(rgb(12, 34, 56), 250), rgb(255, 255, 255)},
        {"darken: green loses 2 less", darken(rgb(100, 100, 100), 60), rgb(40, 42, 40)},
        {"darken clamps at 0", darken(rgb(10, 0, 255), 60), rgb(0, 0, 195)},
        {"darken by a negative clamps at 255", darken(rgb(250, 254, 250), -10), rgb(255, 255, 255)},
        {"gray", gray(rgb(30, 60, 90), 10), rgb(70, 70, 70)},
        {"gray truncates the mean", gray(rgb(1, 1, 2), 0), rgb(1, 1, 1)},
        {"gray caps at 240", gray(rgb(255, 255, 255), 10), rgb(240, 240, 240)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.expected) << c.what;
}

TEST(MenuColorsTest, WorkingColorTable)
{
    const SystemColors sys{rgb(212, 208, 200), rgb(10, 36, 106), rgb(128, 128, 128)};
    Properties p;
    p.color = rgb(1, 1, 1);
    p.iconBackColor = rgb(2, 2, 2);
    p.menuBarColor = rgb(3, 3, 3);
    p.selectColor = rgb(10, 36, 106);
    p.selectBorderColor = rgb(5, 5, 5);
    p.selectFontColor = rgb(6, 6, 6);
    p.disabledColor = rgb(7, 7, 7);
    p.separatorColor = rgb(8, 8, 8);
    p.checkedColor = rgb(9, 9, 9);
    p.fontColor = rgb(11, 11, 11);

    // Neither flag: the properties as they are, on any screen but for the checked fills of few colours.
    const Working plain = workingColors(p, sys, true);
    EXPECT_EQ(plain, (Working{p.color, p.iconBackColor, p.selectColor, p.selectBorderColor, p.selectFontColor,
                              p.selectColor, p.selectColor, p.checkedColor, p.menuBarColor, p.disabledColor,
                              p.separatorColor}));
    const Working plainLow = workingColors(p, sys, false);
    EXPECT_EQ(plainLow.checkedFill, rgb(255, 255, 255));
    EXPECT_EQ(plainLow.checkedFillSelected, rgb(192, 192, 192));
    EXPECT_EQ(plainLow.selectionFill, p.selectColor);

    // The main window's painter: dimmed selection colours.
    p.useDimColor = true;
    const Working dim = workingColors(p, sys, true);
    EXPECT_EQ(dim.selectionFill, rgb(177, 185, 207));
    EXPECT_EQ(dim.menuBackground, p.color);
    EXPECT_EQ(workingColors(p, sys, false).selectionFill, p.selectColor);

    // System colours win over the dimmed ones; with few colours they are plain.
    p.useSystemColors = true;
    EXPECT_EQ(workingColors(p, sys, true).selectionFill, dim.selectionFill);
    const quint32 white = rgb(255, 255, 255);
    EXPECT_EQ(workingColors(p, sys, false),
              (Working{white, sys.buttonFace, white, sys.highlight, p.fontColor, white, white, sys.highlight,
                       sys.buttonFace, sys.buttonShadow, sys.buttonShadow}));
}
