#include "config/Colors.h"
#include "config/Config.h"
#include "config/IniFile.h"
#include "config/Settings.h"
#include "config/SyncSettings.h"
#include "platform/CodePage.h"

#include "TestUtil.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testutil::readAll;
using testutil::writeAll;

namespace {
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

    QTemporaryDir m_dir;
};
} // namespace

TEST_F(SettingsTest, ReadsFollowTheProfileRules)
{
    const IniFile f = IniFile::fromText(QStringLiteral("; comment\n"
                                                       "[sec]\n"
                                                       "  Plain  =  spaced value  \n"
                                                       "Quoted=\" kept inside \"\n"
                                                       "Single='x'\n"
                                                       "Half=\"open\n"
                                                       "Empty=\n"
                                                       "Dup=first\n"
                                                       "Dup=second\n"
                                                       "Long=%1\n"
                                                       "[SEC]\n"
                                                       "Later=hidden by the first section\n")
                                            .arg(QString(3000, QLatin1Char('x'))));
    const std::pair<const char*, QString> cases[] = {{"plain", "spaced value"},
                                                     {"QUOTED", " kept inside "},
                                                     {"Single", "x"},
                                                     {"Half", "\"open"},
                                                     {"Empty", ""},
                                                     {"Dup", "first"},
                                                     {"Later", "<default>"},
                                                     {"missing", "<default>"},
                                                     {"Long", QString(2047, QLatin1Char('x'))}};
    for (const auto& [key, value] : cases)
        EXPECT_EQ(f.value(QStringLiteral("Sec"), QLatin1String(key), QStringLiteral("<default>")), value)
            << key;
}

TEST_F(SettingsTest, WritesReplaceInPlaceAppendKeysAndSectionsAndKeepLines)
{
    IniFile f =
        IniFile::fromText(QStringLiteral("; keep me\r\n[Sec]\r\nA=1\r\nB=2\r\n\r\n[Next]\r\nC=3\r\n"));
    f.setValue(QStringLiteral("sec"), QStringLiteral("a"), QStringLiteral("-42"));
    f.setValue(QStringLiteral("Sec"), QStringLiteral("New"), QStringLiteral("1"));
    f.setValue(QStringLiteral("Third"), QStringLiteral("Key"), QStringLiteral("v"));
    // Line breaks in a value must not start new lines in the file.
    f.setValue(QStringLiteral("Next"), QStringLiteral("C"), QStringLiteral("x\r\n[Sec]\nA=evil"));
    EXPECT_EQ(f.toText(), QStringLiteral("; keep me\r\n[Sec]\r\nA=-42\r\nB=2\r\nNew=1\r\n\r\n[Next]\r\n"
                                         "C=x [Sec] A=evil\r\n\r\n[Third]\r\nKey=v\r\n"));
}

TEST_F(SettingsTest, Windows1252FilesAreReadAndRewrittenAsUtf8AndMissingOnesCreated)
{
    const QString f = ini("[Language File]\nSelected=M\xFCller \x80\n");
    EXPECT_EQ(Config::read(f, Config::Key::Language), QStringLiteral("M\u00FCller \u20AC"));
    ASSERT_TRUE(Config::write(f, Config::Key::FontName, QStringLiteral("Serif")).ok);
    EXPECT_EQ(readAll(f), "[Language File]\nSelected=M\xC3\xBCller \xE2\x82\xAC\n\n[Font]\nName=Serif\n");

    // A missing file is created, with one folder level, and gives the defaults.
    const QString missing = m_dir.filePath(QStringLiteral("AppData/Quillmar.ini"));
    EXPECT_EQ(Config::read(missing, Config::Key::FontName), QString());
    EXPECT_EQ(QFileInfo(missing).size(), 0);
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

TEST_F(SettingsTest, CodePageSetting)
{
    EXPECT_TRUE(ApplyCodePageSetting(ini("[General]\nCodePage=UTF-8\n")).isEmpty());
    EXPECT_EQ(CodePage::current(), CodePage::Kind::Utf8);
    EXPECT_TRUE(
        ApplyCodePageSetting(ini("[General]\nCodePage=klingon\n")).contains(QLatin1String("klingon")));
    EXPECT_EQ(CodePage::current(), CodePage::Kind::Windows1252);

    // Only reading: a missing settings file is not created.
    const QString missing = m_dir.filePath(QStringLiteral("none/Quillmar.ini"));
    EXPECT_TRUE(ApplyCodePageSetting(missing).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(missing));
}

// The sync's interval: no number or below zero reads as the default, more than a day as a day; the rest
// round-trips, the trusted certificate as hex.
TEST(SyncSettingsTest, IntervalReadsWithinItsRangeAndTheRestRoundTrips)
{
    for (const auto& [stored, minutes] : {std::pair{"abc", 5}, {"-3", 5}, {"0", 0}, {"99999", 1440}}) {
        const IniFile ini = IniFile::fromText(QStringLiteral("[Sync]\nInterval=%1\n").arg(stored));
        EXPECT_EQ(SyncSettings::read(ini).intervalMinutes, minutes) << stored;
    }
    SyncSettings s{QUrl("https://dav.example.org/"), "me", QUrl("https://dav.example.org/me/work/"), 15,
                   "\x01\xab"};
    IniFile ini;
    s.writeTo(ini);
    EXPECT_EQ(ini.value("Sync", "TrustedCertificate"), QStringLiteral("01ab"));
    EXPECT_TRUE(SyncSettings::read(ini) == s);
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

// The accessibility rules' own examples: black on white, and the grey that just reaches 4.5:1 on white.
TEST(ColorTest, ContrastRatio)
{
    EXPECT_NEAR(ContrastRatio(0x000000, 0xFFFFFF), 21.0, 0.01);
    EXPECT_NEAR(ContrastRatio(0x767676, 0xFFFFFF), 4.54, 0.01);
    EXPECT_NEAR(ContrastRatio(0x123456, 0x123456), 1.0, 1e-9);
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
