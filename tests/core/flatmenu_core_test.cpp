#include "menus/MenuColors.h"
#include "menus/MenuItemMeasure.h"

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

TEST(MenuColorsTest, GradientLevels)
{
    // 3 more per column up to IconWidth + 5 pixels from the edge, 1 more after that, at most 96.
    const std::pair<int, int> expected[] = {{0, 1},   {1, 4},   {28, 85}, {29, 86},
                                            {38, 95}, {39, 96}, {500, 96}};
    for (auto [column, level] : expected)
        EXPECT_EQ(gradientLevel(column, 24), level) << column;
    // Without icon strip: 5 steep columns (1, 4, 7, 10, 13), then one more per column.
    EXPECT_EQ(gradientLevel(10, 0), 19);
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

TEST(MenuItemMeasureTest, Rules)
{
    // Every character 7 pixels wide, every text 13 high.
    const MenuItemMeasure::TextSize text = [](const QString& s) { return QSize(7 * int(s.size()), 13); };
    auto measure = [&](std::initializer_list<QString> texts, QSize proposed = QSize(0, 0),
                       bool submenu = false, bool onBar = false, QSize image = QSize()) {
        MenuItemMeasure item;
        item.caption = *texts.begin();
        item.shortcut = texts.size() > 1 ? *(texts.begin() + 1) : QString();
        item.hasSubmenu = submenu;
        item.onMenuBar = onBar;
        item.image = image;
        return item.measure(24, text, proposed);
    };
    struct Case
    {
        const char* what;
        QSize got;
        QSize expected;
    };
    const Case cases[] = {
        {"separator: 4 high, width as proposed", measure({QStringLiteral("-")}, QSize(2, 2)), QSize(2, 4)},
        {"separator never shrinks", measure({QStringLiteral("-")}, QSize(30, 10)), QSize(30, 10)},
        // 13 + round(0.75 x 13) = 23; the "&" is not measured.
        {"menu bar title", measure({QStringLiteral("&File")}, {}, false, true), QSize(35 + 5 - 7, 23)},
        {"menu bar without &", measure({QStringLiteral("File")}, {}, false, true), QSize(28 + 5, 23)},
        {"item: icon strip at least", measure({QStringLiteral("Help")}), QSize(28 + 5 + 24, 23)},
        {"shortcut and WWW", measure({QStringLiteral("E&xit"), QStringLiteral("Ctrl+Q")}),
         QSize(7 * 14 + 5 - 7 + 24, 23)},
        {"submenu arrow", measure({QStringLiteral("&Im-Export")}, {}, true), QSize(70 + 5 - 7 + 6 + 24, 23)},
        {"no arrow room on the bar", measure({QStringLiteral("Tools")}, {}, true, true), QSize(35 + 5, 23)},
        {"wide image", measure({QStringLiteral("Help")}, {}, false, false, QSize(32, 32)),
         QSize(28 + 5 + 32, 38)},
        {"image on the bar", measure({QStringLiteral("Help")}, {}, false, true, QSize(16, 16)),
         QSize(28 + 5 + 16, 23)},
        {"only grows", measure({QStringLiteral("Help")}, QSize(300, 40)), QSize(300, 40)},
        {"grows in one direction", measure({QStringLiteral("Help")}, QSize(10, 40)), QSize(57, 40)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.expected) << c.what;
}
