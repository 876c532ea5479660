#include "config/Paths.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
class PathsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QStandardPaths::setTestModeEnabled(true);
        m_program = m_dir.filePath(QStringLiteral("bin")) + QLatin1Char('/');
        ASSERT_TRUE(QDir().mkdir(m_program));
        SetProgramFolderForTesting(m_program);
        SetDataFolderOverride({});
        ResetDataPaths();
    }
    void TearDown() override
    {
        QFile::setPermissions(m_program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        SetProgramFolderForTesting({});
        SetDataFolderOverride({});
        ResetDataPaths();
    }

    QString userDataFolder() const
    {
        return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QLatin1Char('/');
    }

    QTemporaryDir m_dir;
    QString m_program;
};
} // namespace

// The data folder is beside the program only where a portable "AppData" folder was made on purpose;
// a writable, missing or installed program folder without one uses the user's data location.
TEST_F(PathsTest, AppDataBesideTheProgramOnlyWhenItExists)
{
    InitDataPaths();
    InitSettingsFilePath();
    EXPECT_EQ(DataFolder(), userDataFolder()) << "a writable program folder alone";
    EXPECT_EQ(StandardListPath(), userDataFolder() + "ToDoX.tdo");
    EXPECT_EQ(HistoryListPath(), userDataFolder() + "History.tdh");
    EXPECT_EQ(FallbackIniPath(), m_program + "default.ini");
    // Working out the paths creates nothing.
    EXPECT_FALSE(QFile::exists(m_program + "AppData"));

    for (const QString& elsewhere : {m_dir.filePath(QStringLiteral("gone")), QStringLiteral("/usr/bin")}) {
        ResetDataPaths();
        SetProgramFolderForTesting(elsewhere);
        EXPECT_EQ(DataFolder(), userDataFolder()) << elsewhere.toStdString();
    }

    ResetDataPaths();
    SetProgramFolderForTesting(m_program);
    ASSERT_TRUE(QDir().mkdir(m_program + "AppData"));
    InitDataPaths();
    InitSettingsFilePath();
    EXPECT_EQ(DataFolder(), m_program + "AppData/");
    EXPECT_EQ(SettingsFilePath(), m_program + "AppData/Quillmar.ini");
}

TEST_F(PathsTest, DataDirOptionOverridesBothAndPathsAreComputedOnce)
{
    SetDataFolderOverride(m_dir.filePath(QStringLiteral("mine")));
    InitDataPaths();
    EXPECT_EQ(DataFolder(), m_dir.filePath(QStringLiteral("mine/")));
    EXPECT_EQ(SettingsFilePath(), m_dir.filePath(QStringLiteral("mine/Quillmar.ini")));
    // A later change does not move the paths of this run.
    SetDataFolderOverride(m_dir.filePath(QStringLiteral("other")));
    EXPECT_EQ(StandardListPath(), m_dir.filePath(QStringLiteral("mine/ToDoX.tdo")));
}
