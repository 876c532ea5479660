#include "config/DisplaySettings.h"
#include "config/IniFile.h"
#include "config/WindowBounds.h"

#include <gtest/gtest.h>

namespace {
DisplaySettings readDisplay(const char* text, const DisplaySettings& before = DisplaySettings())
{
    return DisplaySettings::read(IniFile::fromText(QString::fromLatin1(text)), before);
}
} // namespace

// A bad value ends the reading: everything before it counts, everything after keeps the earlier values.
TEST(DisplaySettingsTest, ABadValueEndsTheReadingAtItsGroup)
{
    struct Case
    {
        const char* ini;
        int readUpTo;
    };
    const Case cases[] = {
        {"", DisplaySettings::GroupCount},
        {"[Pending Item Color]\nColor=nocolour\n", DisplaySettings::StatusColors},
        {"[Background Color]\nColor=clNone?\n", DisplaySettings::ListColor},
        {"[TitleFont Color]\nColor=x\n", DisplaySettings::TitleFontColor},
        {"[Table]\nTextSize=big\n", DisplaySettings::AlarmLead},
        {"[Font]\nSize=1.5\n", DisplaySettings::Fonts},
    };
    DisplaySettings before;
    before.itemFontName = QStringLiteral("Earlier");
    before.alarmLeadTime = QStringLiteral("7");
    for (const Case& c : cases) {
        const DisplaySettings s = readDisplay(c.ini, before);
        EXPECT_EQ(s.readUpTo, c.readUpTo) << c.ini;
        EXPECT_EQ(s.complete(), c.readUpTo == DisplaySettings::GroupCount) << c.ini;
        EXPECT_EQ(s.itemFontName, s.complete() ? QString() : QStringLiteral("Earlier")) << c.ini;
        EXPECT_EQ(s.alarmLeadTime,
                  s.has(DisplaySettings::AlarmLead) ? QStringLiteral("0") : QStringLiteral("7"))
            << c.ini;
    }
}

TEST(DisplaySettingsTest, ValuesFollowTheFileRules)
{
    const DisplaySettings s =
        readDisplay("[Background Color]\nColor=clBlack\n[ToDo Grid]\nShowGrid=false\n[Table]\nTextSize=3\n");
    // The list colour is stored lightened; only the exact "False" hides the grid; sizes count from 9.
    EXPECT_EQ(s.listColor, 0x96C8C8u);
    EXPECT_TRUE(s.showGrid);
    EXPECT_EQ(s.listFontSize, 12);
    EXPECT_FALSE(readDisplay("[ToDo Grid]\nShowGrid=False\n").showGrid);
}

TEST(WindowBoundsTest, OnlyANormalWindowKeepsItsBounds)
{
    const IniFile ini =
        IniFile::fromText(QStringLiteral("[Bounds]\nWindowState=wsmaximized\nLeft=5\n[Columnwidth]\nColumn0="
                                         "150\nColumn1=99\nColumn2=-5\nColumn3=x\n"));
    const WindowBounds b = WindowBounds::read(ini, 5);
    EXPECT_EQ(b.state, WindowBounds::State::Maximized);
    EXPECT_FALSE(b.left);
    // 99, negative and unreadable widths mean "as designed"; a missing one too.
    EXPECT_EQ(b.columnWidths, (QList<int>{150, -1, -1, -1, -1}));

    IniFile out = IniFile::fromText(QStringLiteral("[Bounds]\nLeft=1\nWindowState=wsnormal\nOther=x\n"));
    b.writeTo(out);
    EXPECT_EQ(out.toText(), QStringLiteral("[Bounds]\nLeft=1\nOther=x\nWindowState=wsmaximized\n"));
}

TEST(WindowBoundsTest, ANormalWindowWritesEachValueLastInItsSection)
{
    IniFile ini = IniFile::fromText(QStringLiteral("[Bounds]\nTop=1\nExtra=y\n[Columnwidth]\nColumn1=7\n"));
    WindowBounds b;
    b.left = 10;
    b.top = 20;
    b.columnWidths = {-1, 30};
    b.writeTo(ini);
    EXPECT_EQ(ini.toText(), QStringLiteral("[Bounds]\nExtra=y\nWindowState=wsnormal\nLeft=10\nTop=20\n"
                                           "[Columnwidth]\nColumn1=30\nColumn0=0\n"));
}
