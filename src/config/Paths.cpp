#include "config/Paths.h"

#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
struct PathState
{
    QString programFolderForTesting;
    QString dataFolderOverride;
    QString dataFolder;
    QString standardListPath;
    QString settingsFilePath;
};

PathState& paths()
{
    static PathState s;
    return s;
}

QString withSlash(const QString& folder)
{
    QString f = QDir::cleanPath(QDir(folder).absolutePath());
    if (!f.endsWith(QLatin1Char('/')))
        f += QLatin1Char('/');
    return f;
}

QString computeDataFolder()
{
    const PathState& s = paths();
    if (!s.dataFolderOverride.isEmpty())
        return s.dataFolderOverride;
    const QString program = ProgramFolder();
    const QString portable = program + QStringLiteral("AppData/");
    // Portable use, made on purpose: beside the program only when that folder exists. Otherwise the
    // user's data location, so that deleting a build folder or a program never takes the lists along.
    if (QFileInfo(portable).isDir())
        return portable;
    return withSlash(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}
} // namespace

QString ProgramFolder()
{
    const PathState& s = paths();
    if (!s.programFolderForTesting.isEmpty())
        return s.programFolderForTesting;
    if (QCoreApplication::instance())
        return withSlash(QCoreApplication::applicationDirPath());
    // Before the application object exists, ask the kernel where the program file is.
    return withSlash(QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).path());
}

void SetDataFolderOverride(const QString& folder)
{
    paths().dataFolderOverride = folder.isEmpty() ? QString() : withSlash(folder);
}

void SetProgramFolderForTesting(const QString& folder)
{
    paths().programFolderForTesting = folder.isEmpty() ? QString() : withSlash(folder);
}

void ResetDataPaths()
{
    PathState& s = paths();
    s.dataFolder.clear();
    s.standardListPath.clear();
    s.settingsFilePath.clear();
}

void InitDataPaths()
{
    PathState& s = paths();
    if (s.dataFolder.isEmpty())
        s.dataFolder = computeDataFolder();
    if (s.standardListPath.isEmpty())
        s.standardListPath = s.dataFolder + QStringLiteral("ToDoX.tdo");
}

void InitSettingsFilePath()
{
    PathState& s = paths();
    if (s.settingsFilePath.isEmpty())
        s.settingsFilePath = DataFolder() + QStringLiteral("Quillmar.ini");
}

QString DataFolder()
{
    InitDataPaths();
    return paths().dataFolder;
}

QString StandardListPath()
{
    InitDataPaths();
    return paths().standardListPath;
}

QString SettingsFilePath()
{
    InitSettingsFilePath();
    return paths().settingsFilePath;
}

QString HistoryListPath()
{
    return DataFolder() + QStringLiteral("History.tdh");
}

QString FallbackIniPath()
{
    return ProgramFolder() + QStringLiteral("default.ini");
}

QString SharedDataFolder()
{
#ifdef QUILLMAR_SHARED_DATA_RELATIVE
    return withSlash(ProgramFolder() + QStringLiteral(QUILLMAR_SHARED_DATA_RELATIVE));
#else
    return withSlash(ProgramFolder() + QStringLiteral("../share/quillmar"));
#endif
}

IoResult EnsureDataFolder()
{
    return EnsurePrivateFolder(DataFolder());
}

int RemoveDataFolderLeftovers()
{
    return RemoveCrashLeftovers(DataFolder());
}
