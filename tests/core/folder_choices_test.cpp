// A data folder's code page and date formats: chosen once, then the same for every run whatever its
// locale; old folders keep reading as they were written.
#include "config/FolderChoices.h"
#include "config/IniFile.h"
#include "config/SettingsValues.h"
#include "model/ListFile.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Regional.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

#include <random>

namespace {
class FolderChoicesTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        CodePage::setCurrent(CodePage::Kind::Windows1252);
        Regional::useLocale(QLocale::c());
        Clock::reset();
    }
};

const QLocale enUS(QLocale::English, QLocale::UnitedStates);
const QLocale deDE(QLocale::German, QLocale::Germany);
} // namespace

TEST_F(FolderChoicesTest, StoredValuesWinAndMissingOnesFollowTheFolderAndTheRun)
{
    struct Case
    {
        const char* name;
        const char* ini;
        bool newFolder;
        QLocale run;
        const char* codePage;
        const char* dateFormat;
        bool incomplete;
    };
    const Case cases[] = {
        {"new folder", "", true, enUS, "UTF-8", "M/d/yyyy", true},
        {"new folder under C", "", true, QLocale::c(), "UTF-8", "yyyy-MM-dd", true},
        {"old folder keeps windows-1252 and reads by the run", "[ToDo Grid]\nShowGrid=True\n", false, deDE,
         "windows-1252", "dd.MM.yyyy", true},
        {"fixed under en_US, run under de_DE",
         "[General]\nCodePage=UTF-8\n[Date]\nItemLocale=en_US\nItemDateFormat=M/d/yyyy\n"
         "ItemTimeFormat=h:mm:ss AP\n",
         false, deDE, "UTF-8", "M/d/yyyy", false},
        {"a stored date format wins over the run's locale", "[Date]\nItemDateFormat=d.M.yyyy\n", false, enUS,
         "windows-1252", "d.M.yyyy", true},
        {"a stored locale gives the missing formats", "[Date]\nItemLocale=de_DE\n", false, enUS,
         "windows-1252", "dd.MM.yyyy", true},
        {"an empty format counts as missing", "[General]\nCodePage=UTF-8\n[Date]\nItemDateFormat=\n", false,
         QLocale::c(), "UTF-8", "yyyy-MM-dd", true},
    };
    for (const Case& c : cases) {
        const FolderChoices f =
            FolderChoices::fromIni(IniFile::fromText(QString::fromUtf8(c.ini)), c.newFolder, c.run);
        EXPECT_EQ(f.codePage, QLatin1String(c.codePage)) << c.name;
        EXPECT_EQ(f.dateFormat, QLatin1String(c.dateFormat)) << c.name;
        EXPECT_EQ(f.incomplete, c.incomplete) << c.name;
    }
}

TEST_F(FolderChoicesTest, FixingKeepsWhatTheUserStored)
{
    testutil::TempDataFolder folder;
    ASSERT_TRUE(
        testutil::writeAll(SettingsFilePath(), "[Date]\nDateFormat=dd.mm.yyyy\nItemDateFormat=d.M.yyyy\n"));
    EXPECT_FALSE(FolderChoices::dataFolderIsNew());
    ASSERT_TRUE(FolderChoices::ofDataFolder(enUS).fix(SettingsFilePath()));
    const IniFile ini = IniFile::load(SettingsFilePath());
    EXPECT_EQ(ini.value("Date", "ItemDateFormat"), QStringLiteral("d.M.yyyy"));
    EXPECT_EQ(ini.value("Date", "DateFormat"), QStringLiteral("dd.mm.yyyy"));
    EXPECT_EQ(ini.value("Date", "ItemLocale"), QStringLiteral("en_US"));
    EXPECT_EQ(ini.value("Date", "ItemTimeFormat"), QStringLiteral("h:mm:ss AP"));
    EXPECT_EQ(ini.value("General", "CodePage"), QStringLiteral("windows-1252"));
}

// A folder that went over to UTF-8 still holds texts written as windows-1252; each reads right.
TEST_F(FolderChoicesTest, UnderUtf8EveryTextReadsAsItWasWritten)
{
    std::mt19937 random(20260);
    CodePage::setCurrent(CodePage::Kind::Utf8);
    const QStringList pieces = {"a",      "Z",      " ",      "\u00FC",     "\u00E9",
                                "\u20AC", "\u03A9", "\u2713", "\U0001F600", "\u65E5"};
    for (int round = 0; round < 2000; ++round) {
        QString text;
        const int length = int(random() % 12);
        for (int i = 0; i < length; ++i)
            text += pieces.at(int(random() % pieces.size()));
        EXPECT_EQ(CodePage::decode(text.toUtf8()), text);
        // The same text as an older folder wrote it, when windows-1252 can hold it.
        QByteArray old;
        bool fits = true;
        for (QChar c : text) {
            if (c.unicode() < 0x100)
                old += char(c.unicode());
            else if (c.unicode() == 0x20AC)
                old += '\x80';
            else
                fits = false;
        }
        if (fits && CodePage::firstInvalidUtf8(old) >= 0) {
            EXPECT_EQ(CodePage::decode(old), text) << old.toHex().constData();
        }
    }
}

TEST_F(FolderChoicesTest, TheDialogWritesTheCodePageOnlyWhenChangedAndNeverLeavesUtf8)
{
    EXPECT_EQ(SettingsValues::codePagesOffered("windows-1252"), QStringList({"windows-1252", "UTF-8"}));
    EXPECT_EQ(SettingsValues::codePagesOffered("utf8"), QStringList({"UTF-8"}));
    IniFile ini = IniFile::fromText("[Font]\nName=Tahoma\n");
    SettingsValues v = SettingsValues::fromIni(ini);
    v.writeTo(ini);
    EXPECT_FALSE(ini.value("General", "CodePage").has_value());
    v.CodePage = QStringLiteral("UTF-8");
    v.writeTo(ini);
    EXPECT_EQ(ini.value("General", "CodePage"), QStringLiteral("UTF-8"));
}
