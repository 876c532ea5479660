#include "config/Paths.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

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

TEST_F(PathsTest, WritableProgramFolderKeepsItsDataBesideItself)
{
    InitDataPaths();
    InitSettingsFilePath();
    EXPECT_EQ(DataFolder(), m_program + "AppData/");
    EXPECT_EQ(StandardListPath(), m_program + "AppData/ToDoX.tdo");
    EXPECT_EQ(SettingsFilePath(), m_program + "AppData/Quillmar.ini");
    EXPECT_EQ(HistoryListPath(), m_program + "AppData/History.tdh");
    EXPECT_EQ(FallbackIniPath(), m_program + "default.ini");
    // Working out the paths creates nothing.
    EXPECT_FALSE(QFile::exists(m_program + "AppData"));
}

TEST_F(PathsTest, ReadOnlyProgramFolderUsesTheUserDataLocationUnlessAppDataExists)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root can write to every folder";
    ASSERT_TRUE(QFile::setPermissions(m_program, QFile::ReadOwner | QFile::ExeOwner));
    InitDataPaths();
    EXPECT_EQ(DataFolder(), userDataFolder());
    EXPECT_EQ(StandardListPath(), userDataFolder() + "ToDoX.tdo");

    ResetDataPaths();
    QFile::setPermissions(m_program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(QDir().mkdir(m_program + "AppData"));
    QFile::setPermissions(m_program, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(DataFolder(), m_program + "AppData/");
}

TEST_F(PathsTest, ProgramFolderThatCannotBeWrittenFallsBack)
{
    // Works for root too: a folder that does not exist cannot be written.
    SetProgramFolderForTesting(m_dir.filePath(QStringLiteral("gone")));
    EXPECT_EQ(DataFolder(), userDataFolder());
}

TEST_F(PathsTest, InstalledProgramKeepsItsDataInTheUserDataLocation)
{
    // Root can write to /usr/bin, but an installed program must not scatter data beside itself.
    SetProgramFolderForTesting(QStringLiteral("/usr/bin"));
    EXPECT_EQ(DataFolder(), userDataFolder());
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

TEST_F(PathsTest, EnsureFolderOfCreatesOneLevel)
{
    EXPECT_TRUE(EnsureFolderOf(m_program + "AppData/ToDoX.tdo"));
    EXPECT_TRUE(QFileInfo(m_program + "AppData").isDir());
    EXPECT_TRUE(EnsureFolderOf(m_program + "AppData/ToDoX.tdo"));
    EXPECT_FALSE(EnsureFolderOf(m_program + "x/y/ToDoX.tdo"));
}
