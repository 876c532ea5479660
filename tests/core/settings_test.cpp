#include "config/Colors.h"
#include "config/Config.h"
#include "config/IniFile.h"
#include "config/Settings.h"
#include "platform/CodePage.h"

#include "TestUtil.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testutil::readAll;
using testutil::writeAll;

namespace {
const QString S = QStringLiteral("Sec");

class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    void TearDown() override { CodePage::setCurrent(CodePage::Kind::Windows1252); }

    QString ini(const char* text)
    {
        const QString p = m_dir.filePath(QStringLiteral("Quillmar.ini"));
        EXPECT_TRUE(writeAll(p, text));
        return p;
    }
    QString read(const QString& file, const char* key, const char* def = "<default>")
    {
        return ReadIniString(file, S, QLatin1String(key), QLatin1String(def));
    }

    QTemporaryDir m_dir;
};
} // namespace

TEST_F(SettingsTest, ReadsFollowTheProfileRules)
{
    const QString f = ini("; comment\n"
                          "[sec]\n"
                          "  Plain  =  spaced value  \n"
                          "Quoted=\" kept inside \"\n"
                          "Single='x'\n"
                          "Half=\"open\n"
                          "Empty=\n"
                          "Dup=first\n"
                          "Dup=second\n"
                          "[SEC]\n"
                          "Later=hidden by the first section\n"
                          "[Other]\n"
                          "Plain=other\n");
    EXPECT_EQ(read(f, "plain"), "spaced value");
    EXPECT_EQ(read(f, "QUOTED"), " kept inside ");
    EXPECT_EQ(read(f, "Single"), "x");
    EXPECT_EQ(read(f, "Half"), "\"open");
    EXPECT_EQ(read(f, "Empty"), ""); // empty, not the default
    EXPECT_EQ(read(f, "Dup"), "first");
    EXPECT_EQ(read(f, "Later"), "<default>");
    EXPECT_EQ(read(f, "missing"), "<default>");
    EXPECT_EQ(ReadIniString(f, "nosuch", "Plain", "d"), "d");
}

TEST_F(SettingsTest, LongValuesAreCutAt2047Characters)
{
    const QByteArray text = "[Sec]\nLong=" + QByteArray(3000, 'x') + "\n";
    const QString f = ini(text.constData());
    EXPECT_EQ(read(f, "Long").size(), 2047);
}

TEST_F(SettingsTest, MissingFileIsCreatedWithItsFolderAndGivesDefaults)
{
    const QString f = m_dir.filePath(QStringLiteral("AppData/Quillmar.ini"));
    EXPECT_EQ(read(f, "Any", "d"), "d");
    EXPECT_TRUE(QFileInfo(f).isFile());
    EXPECT_EQ(QFileInfo(f).size(), 0);
}

TEST_F(SettingsTest, WritesReplaceInPlaceAppendKeysAndSections)
{
    const QString f = ini("; keep me\r\n[Sec]\r\nA=1\r\nB=2\r\n\r\n[Next]\r\nC=3\r\n");
    ASSERT_TRUE(WriteIniInteger(f, "sec", "a", -42).ok);
    ASSERT_TRUE(WriteIniBool(f, "Sec", "New", true).ok);
    ASSERT_TRUE(WriteIniString(f, "Third", "Key", "v").ok);
    EXPECT_EQ(readAll(f), "; keep me\r\n[Sec]\r\nA=-42\r\nB=2\r\nNew=1\r\n\r\n[Next]\r\nC=3\r\n\r\n"
                          "[Third]\r\nKey=v\r\n");
}

TEST_F(SettingsTest, WriteIniStringMovesTheKeyToTheEndOfItsSection)
{
    const QString f = ini("[Sec]\nA=1\nB=2\n[Next]\nC=3\n");
    ASSERT_TRUE(WriteIniString(f, "Sec", "a", "9").ok);
    ASSERT_TRUE(WriteIniBool(f, "Sec", "B", false).ok);
    EXPECT_EQ(readAll(f), "[Sec]\nB=0\na=9\n[Next]\nC=3\n");
    // Line breaks in a value must not start new lines in the file.
    ASSERT_TRUE(WriteIniString(f, "Next", "C", "x\r\n[Sec]\nA=evil").ok);
    EXPECT_EQ(read(f, "A"), "9");
}

TEST_F(SettingsTest, Windows1252FilesAreReadAndRewrittenAsUtf8)
{
    const QString f = ini("[Sec]\nName=M\xFCller \x80\n");
    EXPECT_EQ(read(f, "Name"), QStringLiteral("M\u00FCller \u20AC"));
    ASSERT_TRUE(WriteIniInteger(f, "Sec", "N", 1).ok);
    EXPECT_EQ(readAll(f), "[Sec]\nName=M\xC3\xBCller \xE2\x82\xAC\nN=1\n");
    EXPECT_EQ(read(f, "Name"), QStringLiteral("M\u00FCller \u20AC"));
}

TEST_F(SettingsTest, TextReadAndWrittenAgainStaysTheSame)
{
    // Stray CRs before a line end once came back as part of a CR LF line end on the next read.
    for (const QString& text : {QStringLiteral("[A]\r\r\nk=v\r\n"), QStringLiteral("; c\r\r\r\n[B]\nx=\r\n"),
                                QStringLiteral("a\rb=c\n")}) {
        const QString once = IniFile::fromText(text).toText();
        EXPECT_EQ(IniFile::fromText(once).toText(), once) << text.toStdString();
    }
}

TEST_F(SettingsTest, BooleanForms)
{
    const QString f = ini("[Sec]\nW1=false\nW2=False\nW3=\nN1=True\nN2=0\nN3=0x10\nN4=-1\nN5=\n");
    EXPECT_TRUE(ReadIniWordBool(f, S, "W1", false)); // only the exact "False" is false
    EXPECT_FALSE(ReadIniWordBool(f, S, "W2", true));
    EXPECT_TRUE(ReadIniWordBool(f, S, "W3", false));
    EXPECT_FALSE(ReadIniWordBool(f, S, "missing", false));
    EXPECT_TRUE(ReadIniBool(f, S, "N1", true)); // a word is no number: the default
    EXPECT_FALSE(ReadIniBool(f, S, "N1", false));
    EXPECT_FALSE(ReadIniBool(f, S, "N2", true));
    EXPECT_TRUE(ReadIniBool(f, S, "N3", false));
    EXPECT_TRUE(ReadIniBool(f, S, "N4", false));
    EXPECT_TRUE(ReadIniBool(f, S, "N5", true));
}

TEST_F(SettingsTest, CodePageAndDateFormatSettings)
{
    const QString f = ini("[General]\nCodePage=UTF-8\n[Date]\nDateFormat=d/m/yy\n");
    EXPECT_TRUE(ApplyCodePageSetting(f).isEmpty());
    EXPECT_EQ(CodePage::current(), CodePage::Kind::Utf8);
    EXPECT_EQ(ReadDateFormat(f, "m.d.yyyy"), "d/m/yy");

    const QString g = ini("[General]\nCodePage=klingon\n");
    EXPECT_TRUE(ApplyCodePageSetting(g).contains(QLatin1String("klingon")));
    EXPECT_EQ(CodePage::current(), CodePage::Kind::Windows1252);
    EXPECT_EQ(ReadDateFormat(g, "m.d.yyyy"), "m.d.yyyy");

    // Only reading: a missing settings file is not created.
    const QString missing = m_dir.filePath(QStringLiteral("none/Quillmar.ini"));
    EXPECT_TRUE(ApplyCodePageSetting(missing).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST(ColorTest, NamesAndNumbers)
{
    EXPECT_EQ(ColorNames().size(), 41);
    const std::pair<const char*, quint32> read[] = {{"clRED", 0xFF},           {"255", 0xFF},
                                                    {"$00FF0000", 0x00FF0000}, {"000000", 0},
                                                    {"clinfobk", 0x80000018},  {"-1", 0xFFFFFFFF}};
    for (const auto& [text, colour] : read)
        EXPECT_EQ(TextToColor(text), colour) << text;
    for (const char* text : {"FF0000", "$", "$-1", "$1FFFFFFFF", "clReddish", ""})
        EXPECT_FALSE(TextToColor(text)) << text;

    const std::pair<quint32, const char*> written[] = {{0x00000080, "clMaroon"},
                                                       {0x80000005, "clWindow"},
                                                       {0x80000000, "clScrollBar"},
                                                       {0x00123456, "$00123456"},
                                                       {0x8000ABCD, "$8000ABCD"}};
    for (const auto& [colour, text] : written)
        EXPECT_EQ(ColorToText(colour), text);
    for (const QString& name : ColorNames())
        EXPECT_EQ(ColorToText(*TextToColor(name.toUpper())), name);
}

TEST(ColorTest, LightenColorMovesBlueLess)
{
    auto rgb = [](quint32 c) {
        return std::array<int, 3>{int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)};
    };
    EXPECT_EQ(rgb(LightenColor(0x00FF0000, 200)), (std::array<int, 3>{200, 200, 255}));
    EXPECT_EQ(rgb(LightenColor(0x00000000, 200)), (std::array<int, 3>{200, 200, 150}));
    // Truncation: 128 + 127 * 200 / 255 = 227.6 -> 227; blue 128 + 127 * 150 / 255 = 202.7 -> 202.
    EXPECT_EQ(rgb(LightenColor(0x00808080, 200)), (std::array<int, 3>{227, 227, 202}));
    // The system colour's index is taken as red; the high byte is dropped.
    EXPECT_EQ(LightenColor(0x80000005, 0), 0x00000005u);
    // Amounts beyond the range clamp; a small amount moves blue away from white, clamped at 0.
    EXPECT_EQ(rgb(LightenColor(0x00000000, 400)), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(rgb(LightenColor(0x00000000, 10)), (std::array<int, 3>{10, 10, 0}));
}

// The typed reads and the write rules of the key table, on the keys that carry each type.
TEST_F(SettingsTest, ConfigKeysReadAndWriteByTheirType)
{
    using K = Config::Key;
    const QString sound = ini("");
    const IniFile f =
        IniFile::fromText(QStringLiteral("[ToDo Grid]\nShowGrid=false\nAutoStart=False\nUseBeginDate=x\n"
                                         "[Font]\nSize=$10\n[Alarm]\nPreAlarm Time=ten\n"
                                         "Sound File=%1\n[Header]\nColor=clRed\n[Footer]\nColor=nix\n")
                              .arg(sound));
    EXPECT_TRUE(Config::flag(f, K::ShowGrid)); // only the exact "False" is false
    EXPECT_FALSE(Config::flag(f, K::AutoStart));
    EXPECT_TRUE(Config::flag(f, K::UseBeginDate)); // no number: the default
    EXPECT_EQ(Config::integer(f, K::FontSize), 16);
    EXPECT_EQ(Config::integer(f, K::PreAlarmTime), std::nullopt);
    EXPECT_EQ(Config::integer(f, K::StyleTextSize, QStringLiteral("Header")), 0); // missing: the default
    EXPECT_EQ(Config::color(f, K::StyleColor, QStringLiteral("Header")), 0x0000FFu);
    EXPECT_EQ(Config::color(f, K::StyleColor, QStringLiteral("Footer")), std::nullopt);
    EXPECT_EQ(Config::text(f, K::SoundFile), sound);
    EXPECT_EQ(
        Config::text(IniFile::fromText(QStringLiteral("[Alarm]\nSound File=/no/such.wav\n")), K::SoundFile),
        QString());
    EXPECT_EQ(Config::text(f, K::FontName), QStringLiteral("Tahoma"));
    EXPECT_EQ(Config::text(f, K::Language), QStringLiteral("None"));

    // Written in place, or moved to the end of the section, as each key always was.
    IniFile w =
        IniFile::fromText(QStringLiteral("[ToDo Grid]\nUseBeginDate=1\nShowGrid=True\nAutoStart=True\n"
                                         "[Columnwidth]\nColumn2=5\nColumn3=6\n"));
    Config::setFlag(w, K::UseBeginDate, false);
    Config::setFlag(w, K::ShowGrid, false);
    Config::setInteger(w, K::ColumnWidth, 7, QStringLiteral("2"));
    EXPECT_EQ(w.toText(), QStringLiteral("[ToDo Grid]\nUseBeginDate=0\nAutoStart=True\nShowGrid=False\n"
                                         "[Columnwidth]\nColumn2=7\nColumn3=6\n"));
}
