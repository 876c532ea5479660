// The settings dialog's window-free rules: reading and writing every value in the file's order, and the
// colour grid's cells.
#include "config/ColorGridCells.h"
#include "config/Colors.h"
#include "config/IniFile.h"
#include "config/IoMessage.h"
#include "config/SettingsValues.h"
#include "config/StyleItem.h"

#include "TestUtil.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testutil::readAll;
using testutil::writeAll;

namespace {
// What saving the dialog at once writes into an empty settings file: no colours, so that the list and the
// HTML page keep their own defaults instead of turning black.
QByteArray defaultsText()
{
    QByteArray text;
    for (const QString& section : StyleItem::sections())
        text += "[" + section.toUtf8() + "]\nText=\nTextSize=0\nPosition=0\n\n";
    text += "[Date]\nDateFormat=dd.mm.yyyy\n\n"
            "[ToDo Grid]\nShowGrid=True\nAutoStart=False\nUseBeginDate=1\n\n"
            "[Language File]\nSelected=None\n\n"
            "[Alarm]\nPreAlarm Time=0\nSound File=\n\n"
            "[Font]\nName=\nSize=11\n";
    return text;
}

class SettingsValuesTest : public ::testing::Test
{
protected:
    QString file(const QByteArray& text)
    {
        const QString p = m_dir.filePath(QStringLiteral("Quillmar.ini"));
        EXPECT_TRUE(writeAll(p, text));
        return p;
    }
    QTemporaryDir m_dir;
};
} // namespace

TEST_F(SettingsValuesTest, EmptyFileReadsDefaultsAndSavingWritesThemInOrder)
{
    const QString f = file("");
    QStringList problems;
    IoResult result;
    const SettingsValues v = SettingsValues::read(f, &problems, &result);
    EXPECT_TRUE(result.ok);
    EXPECT_TRUE(problems.isEmpty());
    for (const StyleItem& item : v.StyleItems) {
        EXPECT_EQ(item.Color, 0u);
        EXPECT_EQ(item.TextSize, 0);
        EXPECT_EQ(item.Position, 0);
    }
    EXPECT_TRUE(v.ShowGrid && !v.AutoStart && v.UseBeginDate);
    EXPECT_EQ(v.Language, "None");
    EXPECT_EQ(v.FontName, "");
    EXPECT_EQ(v.FontSize, 11);
    ASSERT_TRUE(v.write(f).ok);
    EXPECT_EQ(readAll(f), defaultsText());
}

// Each value written as one profile write would: keys go to the end of their section, "UseBeginDate"
// stays in place, and everything the dialog does not know stays as it was.
TEST_F(SettingsValuesTest, RewritingKeepsTheFileLayoutOfOneWritePerValue)
{
    const QString f = file("; kept\r\n"
                           "[ToDo Grid]\r\n"
                           "UseBeginDate=0\r\n"
                           "ShowGrid=False\r\n"
                           "Other=x\r\n"
                           "[Bounds]\r\n"
                           "Left=5\r\n"
                           "[Font]\r\n"
                           "Size=9\r\n"
                           "Name=Courier\r\n");
    SettingsValues v = SettingsValues::read(f);
    EXPECT_FALSE(v.ShowGrid);
    EXPECT_FALSE(v.UseBeginDate);
    ASSERT_TRUE(v.write(f).ok);
    const QString text = QString::fromUtf8(readAll(f));
    EXPECT_TRUE(text.startsWith(QLatin1String("; kept\r\n[ToDo Grid]\r\nUseBeginDate=0\r\nOther=x\r\n"
                                              "ShowGrid=False\r\nAutoStart=False\r\n[Bounds]\r\nLeft=5\r\n"
                                              "[Font]\r\nName=Courier\r\nSize=9\r\n")))
        << qPrintable(text);

    v.StyleItems[5].Color = 0x00123456;
    v.StyleItems[5].ColorSet = true; // as when the user picks a cell
    v.StyleItems[0].Text = QStringLiteral("My list");
    v.StyleItems[0].TextSize = -2;
    v.StyleItems[0].Position = 2;
    v.Language = QStringLiteral("German.lng");
    v.PreAlarmTime = 15;
    v.FontSize = 20;
    ASSERT_TRUE(v.write(f).ok);
    const SettingsValues back = SettingsValues::read(f);
    EXPECT_EQ(back.StyleItems[5].Color, 0x00123456u);
    EXPECT_EQ(back.StyleItems[0].Text, "My list");
    EXPECT_EQ(back.StyleItems[0].TextSize, -2);
    EXPECT_EQ(back.StyleItems[0].Position, 2);
    EXPECT_EQ(back.Language, "German.lng");
    EXPECT_EQ(back.PreAlarmTime, 15);
    EXPECT_EQ(back.FontSize, 20);
    EXPECT_EQ(IniFile::load(f).value("Open Item Color", "Color", ""), "$00123456");
}

TEST_F(SettingsValuesTest, ValuesThatCannotBeConvertedShowTheirDefaultsAndAreNamed)
{
    const QString sound = m_dir.filePath(QStringLiteral("ring.wav"));
    ASSERT_TRUE(writeAll(sound, "RIFF"));
    const QString f = file(QByteArray("[Header]\nTextSize=abc\nColor=FF0000\nPosition=$1\n"
                                      "[Table]\nTextSize= 0x2 \nColor=clRED\n"
                                      "[Footer]\nColor=255\n"
                                      "[ToDo Grid]\nShowGrid=false\nAutoStart=False\nUseBeginDate=True\n"
                                      "[Alarm]\nPreAlarm Time=soon\nSound File=") +
                           sound.toUtf8() + "\n[Font]\nSize=big\nName=\n");
    QStringList problems;
    const SettingsValues v = SettingsValues::read(f, &problems);
    EXPECT_EQ(v.StyleItems[0].TextSize, 0);
    EXPECT_EQ(v.StyleItems[0].Color, 0u);
    EXPECT_EQ(v.StyleItems[0].Position, 1);
    EXPECT_EQ(v.StyleItems[3].TextSize, 2);
    EXPECT_EQ(v.StyleItems[3].Color, 0xFFu);
    EXPECT_EQ(v.StyleItems[1].Color, 0xFFu);
    EXPECT_TRUE(v.ShowGrid); // only the exact "False" is false
    EXPECT_FALSE(v.AutoStart);
    EXPECT_TRUE(v.UseBeginDate); // a word is no number: the default
    EXPECT_EQ(v.PreAlarmTime, 0);
    EXPECT_EQ(v.SoundFile, sound);
    EXPECT_EQ(v.FontSize, 11);
    EXPECT_EQ(v.FontName, ""); // stored empty, not the default
    ASSERT_EQ(problems.size(), 4) << qPrintable(problems.join('\n'));
    EXPECT_TRUE(problems[0].contains("\"Header\" / \"TextSize\": \"abc\""));
    EXPECT_TRUE(problems[1].contains("\"FF0000\" is not a colour"));
    EXPECT_TRUE(problems[2].contains("\"PreAlarm Time\": \"soon\""));
    EXPECT_TRUE(problems[3].contains("\"Size\": \"big\""));

    // A sound file that is gone is not shown.
    QFile::remove(sound);
    EXPECT_EQ(SettingsValues::read(f).SoundFile, "");
}

TEST_F(SettingsValuesTest, AFileThatCannotBeReadIsNotWrittenOver)
{
    // A folder where the file should be, and a file whose folder's parent is missing.
    const QString folder = m_dir.filePath(QStringLiteral("Quillmar.ini"));
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/inside")));
    IoResult result;
    SettingsValues::read(folder, nullptr, &result);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(SettingsValues().write(folder).ok);
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/inside")).isDir());
    const IoResult deep = SettingsValues().write(m_dir.filePath(QStringLiteral("no/such/Quillmar.ini")));
    EXPECT_FALSE(deep.ok);
    EXPECT_FALSE(IoMessage(deep).isEmpty());
}

TEST(ColorGridCellsTest, CellsAreTheSixteenPaletteColoursAndTheirReverseLookup)
{
    const QStringList names = {"clBlack", "clMaroon",  "clGreen", "clOlive", "clNavy", "clPurple",
                               "clTeal",  "clSilver",  "clGray",  "clRed",   "clLime", "clYellow",
                               "clBlue",  "clFuchsia", "clAqua",  "clWhite"};
    for (int i = 0; i < ColorGridCells::Count; ++i) {
        EXPECT_EQ(ColorToText(ColorGridCells::color(i)), names[i]) << i;
        EXPECT_EQ(ColorGridCells::indexOf(ColorGridCells::color(i)), i);
    }
    EXPECT_EQ(ColorGridCells::indexOf(0x00123456), -1);
    EXPECT_EQ(ColorGridCells::indexOf(0x80000005), -1); // a system colour must be resolved first
    EXPECT_EQ(ColorGridCells::color(-1), 0u);
    EXPECT_EQ(ColorGridCells::color(16), 0u);
}

// For every ordering: the shape, the trimmed size, and that a point inside a cell, or beyond the edge
// nearest to it, finds that cell.
TEST(ColorGridCellsTest, OrderingsLayOutAndHitTheirCells)
{
    using O = ColorGridCells::Ordering;
    const std::vector<std::tuple<O, int, int>> shapes = {
        {O::go16x1, 16, 1}, {O::go8x2, 8, 2}, {O::go4x4, 4, 4}, {O::go2x8, 2, 8}, {O::go1x16, 1, 16}};
    const QSize client(170, 97);
    for (const auto& [ordering, cols, rows] : shapes) {
        EXPECT_EQ(ColorGridCells::columns(ordering), cols);
        EXPECT_EQ(ColorGridCells::rows(ordering), rows);
        const QSize trimmed = ColorGridCells::trimmedSize(client, ordering);
        EXPECT_EQ(trimmed, QSize(170 / cols * cols, 97 / rows * rows));
        for (int i = 0; i < ColorGridCells::Count; ++i) {
            const QRect r = ColorGridCells::cellRect(i, client, ordering);
            EXPECT_EQ(r.topLeft(), QPoint(i % cols * (170 / cols), i / cols * (97 / rows)));
            EXPECT_EQ(ColorGridCells::cellAt(r.center(), client, ordering), i);
            EXPECT_EQ(ColorGridCells::cellAt(r.topLeft(), client, ordering), i);
            EXPECT_EQ(ColorGridCells::cellAt(r.bottomRight(), client, ordering), i);
        }
        EXPECT_EQ(ColorGridCells::cellAt({-50, -50}, client, ordering), 0);
        EXPECT_EQ(ColorGridCells::cellAt({1000, 1000}, client, ordering), 15);
        EXPECT_EQ(ColorGridCells::cellAt({1000, -5}, client, ordering), cols - 1);
        EXPECT_EQ(ColorGridCells::cellAt({-5, 1000}, client, ordering), 16 - cols);
    }
    EXPECT_EQ(ColorGridCells::cellAt({5, 5}, QSize(0, 0), O::go4x4), 0);
}

TEST(ColorGridCellsTest, LabelsAndTheirColours)
{
    struct Row
    {
        int index, fg, bg;
        bool fgOn, bgOn;
        const char* label;
    };
    const Row rows[] = {
        {3, 3, 5, true, true, "FG"},  {5, 3, 5, true, true, "BG"},  {4, 4, 4, true, true, "FB"},
        {4, 4, 4, true, false, "FG"}, {4, 4, 4, false, true, "BG"}, {4, 4, 4, false, false, ""},
        {2, 3, 5, true, true, ""},    {3, -1, -1, true, true, ""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ColorGridCells::label(r.index, r.fg, r.bg, r.fgOn, r.bgOn), QLatin1String(r.label))
            << r.index << " " << r.fg << " " << r.bg;
    EXPECT_EQ(ColorGridCells::labelColor(0x000000), 0xFFFFFFu);
    EXPECT_EQ(ColorGridCells::labelColor(0xFFFFFF), 0x000000u);
    EXPECT_EQ(ColorGridCells::labelColor(0x0000FF), 0xFFFF00u); // red: cyan label
    EXPECT_EQ(ColorGridCells::labelColor(0x808080), 0x000000u); // 128 counts as light
    EXPECT_EQ(ColorGridCells::labelColor(0x7F7F7F), 0xFFFFFFu);
}
