#pragma once

#include "platform/IoResult.h"

#include <QString>

// Where the program keeps its files. The data folder is the program folder + "AppData/" when that folder
// exists (portable use, made on purpose); otherwise the user's application data location. "--data-dir DIR"
// overrides both. All paths are absolute; folder paths end with '/'.

// Folder of the running program file, with a trailing '/'.
QString ProgramFolder();
// Sets the data folder for this run (the "--data-dir" option); call before InitDataPaths.
void SetDataFolderOverride(const QString& folder);
// Sets the program folder (tests; a real run takes the folder of the program file).
void SetProgramFolderForTesting(const QString& folder);
// Forgets every computed path, so that the next Init computes them anew (tests).
void ResetDataPaths();

// Computes DataFolder and StandardListPath when they are still empty.
void InitDataPaths();
// Computes SettingsFilePath when it is still empty.
void InitSettingsFilePath();

// The getters compute their path on first use when the Init routines have not run yet.
QString DataFolder();
QString StandardListPath();
QString SettingsFilePath();
// Computed afresh at each use: DataFolder + "History.tdh".
QString HistoryListPath();
// Where an installation keeps the data it shares among its users (the manual, the language files):
// "../share/quillmar/" from the program folder as installed. Nothing is there when the program runs from
// its build folder.
QString SharedDataFolder();
// Program folder + "default.ini", used by dialogs whose settings path names no existing file.
QString FallbackIniPath();

// Makes the data folder, with any missing parent, private to the user (0700) when it is missing.
IoResult EnsureDataFolder();
// Removes the files that crashed saves left in the data folder (RemoveCrashLeftovers); call it only while
// holding the folder's lock. Returns how many were removed.
int RemoveDataFolderLeftovers();
