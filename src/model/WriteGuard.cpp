#include "model/WriteGuard.h"

#include "model/ListFile.h"
#include "model/RecoveryFile.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>

namespace {
bool hasListSuffix(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("tdo") || suffix == QLatin1String("tdx") || suffix == QLatin1String("tdh");
}

IoResult refused(const QString& path, const QString& why)
{
    return IoResult::failure(QStringLiteral("%1 was not written: %2").arg(ShownPath(path), why),
                             IoError::BadName);
}
} // namespace

WriteGuard::WriteGuard(Places places) : m_places(std::move(places)) {}

bool WriteGuard::sameFile(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    return RealPath(a) == RealPath(b);
}

bool WriteGuard::looksLikeList(const QString& path)
{
    if (hasListSuffix(path))
        return true;
    const QFileInfo info(path);
    if (!info.isFile() || info.size() == 0 || info.size() > FileLimit::List)
        return false;
    // Read in pieces: replacing a large export costs no copy of it in memory.
    return IsListFile(path);
}

WriteGuard::Role WriteGuard::roleOf(const QString& path) const
{
    if (sameFile(path, m_places.standardList))
        return Role::StandardList;
    if (sameFile(path, m_places.historyList))
        return Role::HistoryList;
    if (sameFile(path, m_places.settingsFile))
        return Role::ProgramFile;
    // A link is what it points to: a link elsewhere to the recovery copy is the recovery copy.
    const QFileInfo info(RealPath(path));
    const QString folder = RealPath(info.absolutePath());
    if (!m_places.dataFolder.isEmpty() && folder == RealPath(m_places.dataFolder)) {
        const QString name = info.fileName();
        if (RecoveryFile::isCopy(m_places.dataFolder, QDir(m_places.dataFolder).filePath(name)))
            return Role::RecoveryCopy;
        if (name == QLatin1String("quillmar.lock") ||
            (name.startsWith(QLatin1String("Recovery")) && name.endsWith(QLatin1String(".ini"))))
            return Role::ProgramFile;
        if (info.exists() || info.isSymLink())
            return Role::DataFolder;
    }
    if ((info.exists() || hasListSuffix(path)) && looksLikeList(path))
        return Role::ListFile;
    return Role::None;
}

IoResult WriteGuard::checkListTarget(const QString& path) const
{
    switch (roleOf(path)) {
    case Role::HistoryList:
        return refused(path,
                       QStringLiteral("it is the history list, which takes items only when they are moved "
                                      "to history. Choose another name."));
    case Role::RecoveryCopy:
        return refused(path, QStringLiteral("it is Quillmar's copy of unsaved changes, which goes away once "
                                            "they are saved. Choose another name."));
    case Role::ProgramFile:
        return refused(path, QStringLiteral("it is one of Quillmar's own files. Choose another name."));
    case Role::ListFile:
        if (QFileInfo(path).suffix().compare(QLatin1String("tdh"), Qt::CaseInsensitive) == 0)
            return refused(path, QStringLiteral("a history list holds items only. Choose a name ending in "
                                                "\".tdx\"."));
        break;
    default:
        break;
    }
    return IoResult::success();
}

IoResult WriteGuard::checkExportTarget(const QString& path) const
{
    switch (roleOf(path)) {
    case Role::None:
        return IoResult::success();
    case Role::StandardList:
    case Role::HistoryList:
    case Role::RecoveryCopy:
    case Role::ListFile:
        return refused(path, QStringLiteral("it is a to-do list, and an export never replaces a list. Choose "
                                            "another name."));
    case Role::ProgramFile:
    case Role::DataFolder:
        return refused(path, QStringLiteral("it is a file of Quillmar's data folder, which an export never "
                                            "replaces. Choose another name or folder."));
    }
    return IoResult::success();
}
