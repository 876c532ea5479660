#include "model/WriteGuard.h"

#include "config/LanguageTexts.h"

#include "model/HistoryTail.h"
#include "model/ListFile.h"
#include "model/MoveJournal.h"
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

// A file the guard keeps from being written: why names the reason's text in the language table.
IoResult refused(const QString& path, const char* why)
{
    const LanguageTexts& texts = LanguageTexts::shared();
    return IoResult::failure(
        texts.text("ListErrors", "NotWritten").arg(ShownPath(path), texts.text("ListErrors", why)),
        IoError::BadName);
}
// The sync keeps its state of a list "name" beside it as ".name.sync".
bool isSyncState(const QFileInfo& info)
{
    const QString name = info.fileName();
    if (!name.startsWith(QLatin1Char('.')) || !name.endsWith(QLatin1String(".sync")) || name.size() <= 6)
        return false;
    const QString list = name.mid(1, name.size() - 6);
    return hasListSuffix(list) || QFileInfo(info.dir().filePath(list)).isFile();
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
    // The marks a move to history leaves beside the history while it is under way: another file by one
    // of their names would be taken for one and removed.
    if (sameFile(path, m_places.settingsFile) ||
        sameFile(path, HistoryTail::markPath(m_places.historyList)) ||
        sameFile(path, MoveJournal(m_places.historyList).path()))
        return Role::ProgramFile;
    // A link is what it points to: a link elsewhere to the recovery copy is the recovery copy.
    const QFileInfo info(RealPath(path));
    if (isSyncState(QFileInfo(path)) || isSyncState(info))
        return Role::SyncState;
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
        return refused(path, "IsHistory");
    case Role::RecoveryCopy:
        return refused(path, "IsRecoveryCopy");
    case Role::ProgramFile:
    case Role::SyncState:
        return refused(path, "IsProgramFile");
    case Role::ListFile:
        if (QFileInfo(path).suffix().compare(QLatin1String("tdh"), Qt::CaseInsensitive) == 0)
            return refused(path, "IsHistoryName");
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
        return refused(path, "ExportOverList");
    case Role::ProgramFile:
    case Role::DataFolder:
        return refused(path, "ExportIntoData");
    case Role::SyncState:
        return refused(path, "IsProgramFile");
    }
    return IoResult::success();
}
