#pragma once

#include "platform/IoResult.h"

#include <QString>

// What a file is to the program, and where each kind of writer may write. Every writer asks it before it
// replaces a file the user chose: a list saved under another name, an export, an import's list.
//
// - The data folder's own files have fixed roles: the standard list, the history list, the recovery
//   copies, the settings file, the lock. A list is saved under another name only onto the standard list
//   (which then is the standard list) or onto a file of no role; never onto the history list, a recovery
//   copy or the settings.
// - An export (CSV, HTML, iCalendar) never replaces a to-do list: no file of the data folder, no file that
//   reads as a list or a history list, no file named as one (".tdo", ".tdx", ".tdh").
// - Neither replaces the sync state beside a list: without it the next sync could no longer tell the
//   items deleted here from those never sent.
class WriteGuard
{
public:
    struct Places
    {
        QString dataFolder;
        QString standardList;
        QString historyList;
        QString settingsFile;
    };
    enum class Role
    {
        None,         // a file of no role to the program (or none there yet)
        StandardList, // the data folder's standard list
        HistoryList,  // the data folder's history list
        RecoveryCopy, // a copy of unsaved changes in the data folder
        ProgramFile,  // the settings file, the lock, a recovery description
        SyncState,    // what the sync keeps beside a list (".<list>.sync"), wherever the list is
        DataFolder,   // any other file already in the data folder
        ListFile,     // a list or history file elsewhere
    };

    explicit WriteGuard(Places places);

    Role roleOf(const QString& path) const;
    // For "save as" of a list: success, or the message that says why not.
    IoResult checkListTarget(const QString& path) const;
    // For an export's output file.
    IoResult checkExportTarget(const QString& path) const;

    // The same file under both names (links and relative parts resolved).
    static bool sameFile(const QString& a, const QString& b);
    // The file holds a list (full or history) that the list reader takes, or is named as one.
    static bool looksLikeList(const QString& path);

private:
    Places m_places;
};
