#include "config/IniFile.h"
#include "config/LanguageTexts.h"
#include "config/Paths.h"
#include "platform/CodePage.h"

#include "TestUtil.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testutil::writeAll;
using W = LanguageTexts::Window;

namespace {
class LanguageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ResetDataPaths();
        SetProgramFolderForTesting(m_dir.filePath(QStringLiteral("program")));
        SetDataFolderOverride(m_dir.filePath(QStringLiteral("data")));
        QDir().mkpath(DataFolder());
        QDir().mkpath(installed());
    }
    void TearDown() override
    {
        CodePage::setCurrent(CodePage::Kind::Windows1252);
        ResetDataPaths();
        SetDataFolderOverride(QString());
        SetProgramFolderForTesting(QString());
    }
    // Where an installation under a prefix keeps its language files, seen from the program folder.
    QString installed() const { return m_dir.filePath(QStringLiteral("share/quillmar/languages/")); }
    QString settings(const QByteArray& selected)
    {
        const QString path = DataFolder() + QStringLiteral("Quillmar.ini");
        EXPECT_TRUE(writeAll(path, "[Language File]\nSelected=" + selected + "\n"));
        return path;
    }
    void lng(const QString& folder, const char* name, const QByteArray& text)
    {
        ASSERT_TRUE(writeAll(folder + QLatin1String(name), text));
    }

    QTemporaryDir m_dir;
    LanguageTexts texts;
};

QString builtIn(const char* section, const char* key)
{
    for (const auto& e : LanguageTexts::table()) {
        if (qstrcmp(e.section, section) == 0 && qstrcmp(e.key, key) == 0)
            return QString::fromUtf8(e.builtIn);
    }
    return {};
}
} // namespace

TEST_F(LanguageTest, NothingChangesWithoutAUsableFile)
{
    lng(DataFolder(), "German.lng", "[Tab]\nTab2=Kalender\n");
    // "None" (exact), a missing key, a file that is not there, a name reaching out of the folder, and a
    // program folder (no file name at all).
    for (const QByteArray& selected : {QByteArray("None"), QByteArray(), QByteArray("Missing.lng"),
                                       QByteArray("../data/German.lng"), QByteArray("..")}) {
        EXPECT_FALSE(texts.load(settings(selected), W::Main)) << selected.constData();
        EXPECT_EQ(texts.text("Tab", "Tab2"), "Calendar");
    }
    EXPECT_FALSE(texts.load(DataFolder() + QStringLiteral("no-settings.ini"), W::Main));
}

TEST_F(LanguageTest, AFileReplacesOnlyItsNonEmptyKeysOfTheWindowAndTheReplacementStays)
{
    lng(DataFolder(), "One.lng",
        "[tab]\ntab2=Kalender\nTab1=\n[Settings]\nButton0=Speichern\nCaption=Einstellungen\n");
    ASSERT_TRUE(texts.load(settings("One.lng"), W::Main));
    EXPECT_EQ(texts.text("Tab", "Tab2"), "Kalender");              // names match without regard to case
    EXPECT_EQ(texts.text("Tab", "Tab1"), "ToDo List");             // an empty value keeps the text
    EXPECT_EQ(texts.text("Settings", "Caption"), "Einstellungen"); // the dialog title is the main window's
    EXPECT_EQ(texts.text("Settings", "Button0"), "OK"); // the dialog's own texts wait for its routine
    ASSERT_TRUE(texts.load(settings("One.lng"), W::Settings));
    EXPECT_EQ(texts.text("Settings", "Button0"), "Speichern");

    // Back to "None": no routine runs, what was replaced stays for the rest of the run.
    EXPECT_FALSE(texts.load(settings("None"), W::Main));
    EXPECT_EQ(texts.text("Tab", "Tab2"), "Kalender");
    texts.reset();
    EXPECT_EQ(texts.text("Tab", "Tab2"), "Calendar");
    EXPECT_EQ(texts.text("No", "Such"), "");
}

TEST_F(LanguageTest, BytesAreDecodedWithTheCodePageUnlessMarkedUtf8)
{
    lng(DataFolder(), "Ansi.lng", "[Tab]\nTab2=Men\xFC\n");
    lng(DataFolder(), "Utf8.lng", "\xEF\xBB\xBF[Tab]\nTab2=Men\xC3\xBC\n");
    CodePage::setCurrent(CodePage::Kind::Windows1252);
    ASSERT_TRUE(texts.load(settings("Ansi.lng"), W::Main));
    EXPECT_EQ(texts.text("Tab", "Tab2"), QString::fromUtf8("Menü"));
    texts.reset();
    ASSERT_TRUE(texts.load(settings("Utf8.lng"), W::Main));
    EXPECT_EQ(texts.text("Tab", "Tab2"), QString::fromUtf8("Menü"));
    texts.reset();
    CodePage::setCurrent(CodePage::Kind::Utf8);
    ASSERT_TRUE(texts.load(settings("Utf8.lng"), W::Main));
    EXPECT_EQ(texts.text("Tab", "Tab2"), QString::fromUtf8("Menü"));
}

TEST_F(LanguageTest, ListingAndLookupTakeTheDataFolderFirstThenTheInstalledFiles)
{
    lng(DataFolder(), "Mine.lng", "[Tab]\nTab2=mine\n");
    lng(DataFolder(), "German.lng", "[Tab]\nTab2=user's German\n");
    lng(DataFolder(), "notes.txt", "");
    lng(installed(), "German.lng", "[Tab]\nTab2=Kalender\n");
    lng(installed(), "English.lng", "[Tab]\nTab2=Calendar\n");

    const QStringList listing = LanguageFileListing();
    ASSERT_EQ(listing.size(), 4);
    EXPECT_EQ(listing.first(), "None");
    EXPECT_EQ(listing.count(QStringLiteral("German.lng")), 1);
    EXPECT_TRUE(listing.contains(QStringLiteral("Mine.lng")) &&
                listing.contains(QStringLiteral("English.lng")));
    EXPECT_LT(listing.indexOf(QStringLiteral("Mine.lng")), listing.indexOf(QStringLiteral("English.lng")));

    ASSERT_TRUE(texts.load(settings("German.lng"), W::Main));
    EXPECT_EQ(texts.text("Tab", "Tab2"), "user's German");
    ASSERT_TRUE(texts.load(settings("English.lng"), W::Main));
    EXPECT_EQ(texts.text("Tab", "Tab2"), "Calendar");
    // Nothing is copied into the user's folder.
    EXPECT_FALSE(QFileInfo::exists(DataFolder() + QStringLiteral("English.lng")));
}

// The shipped files: the template holds every text with its built-in value, the German file translates
// every one of them.
TEST(ShippedLanguageFiles, CoverTheWholeTable)
{
    const QString folder = QStringLiteral(QUILLMAR_LANGUAGE_DIR);
    for (const char* name : {"English.lng", "German.lng"}) {
        QByteArray raw = testutil::readAll(folder + QLatin1String(name));
        ASSERT_TRUE(raw.startsWith("\xEF\xBB\xBF")) << name << " is marked as UTF-8";
        const IniFile file = IniFile::fromText(QString::fromUtf8(raw.mid(3)));
        for (const auto& e : LanguageTexts::table()) {
            const auto value = file.value(QLatin1String(e.section), QLatin1String(e.key));
            ASSERT_TRUE(value && !value->isEmpty()) << name << ": " << e.section << "/" << e.key;
            if (qstrcmp(name, "English.lng") == 0) {
                // A file holds no line breaks: the template has blanks where the hints break lines.
                const QString expected =
                    builtIn(e.section, e.key).replace(QStringLiteral("\n\r"), QStringLiteral(" ")).trimmed();
                EXPECT_EQ(*value, expected) << e.section << "/" << e.key;
            }
        }
    }
}
