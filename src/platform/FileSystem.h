#pragma once

#include "platform/IoResult.h"

#include <QByteArray>
#include <QString>

// Small file-system steps shared by the list files, the settings file and the exchange files.

// The largest files the readers take. They are checked before anything is read, so a device, a damaged
// size or a huge file cannot exhaust memory. Writers refuse to write more than their reader takes back.
namespace FileLimit {
inline constexpr qint64 List = qint64(256) << 20;    // list and history files
inline constexpr qint64 CSV = qint64(256) << 20;     // CSV files to import
inline constexpr qint64 Settings = qint64(16) << 20; // settings and language files
} // namespace FileLimit

// The kind of an errno value, and the system's words for it.
IoError IoErrorOf(int error);
QString SystemReason(int error);
// A failure of step on path for the errno value error.
IoResult SystemFailure(IoStep step, const QString& path, int error);
// A path as messages show it.
QString ShownPath(const QString& path);
// The file a path names, the same under every name it has: links and relative parts resolved (as far
// as the path exists).
QString RealPath(const QString& path);

// A regular file of at most limit bytes, read in pieces of the caller's size, so that a reader that
// builds its result as it goes needs no copy of the whole file. Opening refuses what ReadRegularFile
// refuses, with the same messages; a file that grows past limit while it is read is refused too.
class RegularFileReader
{
public:
    RegularFileReader() = default;
    ~RegularFileReader();
    RegularFileReader(const RegularFileReader&) = delete;
    RegularFileReader& operator=(const RegularFileReader&) = delete;

    IoResult open(const QString& path, qint64 limit);
    const QString& path() const { return m_path; }
    // The size the file had when it was opened.
    qint64 size() const { return m_size; }
    // Reads up to max bytes into data: the count read, 0 at the end of the file, -1 when reading failed
    // (error() then says why).
    qint64 read(char* data, qint64 max);
    const IoResult& error() const { return m_error; }

private:
    int m_fd = -1;
    QString m_path;
    qint64 m_size = 0;
    qint64 m_limit = 0;
    qint64 m_done = 0;
    IoResult m_error;
};

// Reads a whole regular file of at most limit bytes into out, in bounded steps. A folder, device, pipe or
// socket is refused without blocking and without being read, so is a file larger than limit. A missing
// file is an error of kind NotFound.
IoResult ReadRegularFile(const QString& path, qint64 limit, QByteArray& out);

// Creates the folder part of path when it is missing (one level only: a missing parent means the path is
// wrong, not that a tree should be made), readable by the user alone.
IoResult EnsureFolderOf(const QString& path);
// Removes a file; one that is not there is no failure. A folder in its place is refused as a folder.
IoResult RemoveFile(const QString& path);
// Moves path out of its name at once (to path + ".gone") and removes it beside the caller, on Qt's global
// thread pool, which the program waits for as it ends: freeing the pages of a file of a few hundred
// megabytes takes the system tens of milliseconds. A file that cannot be moved is removed at once.
void RemoveBeside(const QString& path);
// Creates a missing folder (one level) and a missing empty file (0600). An existing name, a link among
// them, is left as it is.
IoResult EnsureIniFile(const QString& path);

// Creates folder, one level, with the user's usual permissions (a folder the user named, for other
// programs to read). An existing folder is no failure; a missing parent is.
IoResult CreateFolder(const QString& folder);
// Creates folder with its missing parents, each level readable by the user alone (0700); an existing
// folder keeps its mode. The data folder is made this way.
IoResult EnsurePrivateFolder(const QString& folder);

// Removes, in folder, the files left by saves that crashed: the files AtomicFile writes before it renames
// them (".<name>.<pid>.<random>.quillmar-tmp") whose process is gone. A file whose process is alive (or
// cannot be asked) is kept: its save may still be under way. Call it only while holding the folder's
// lock, so that no other run is saving there. Returns how many were removed.
int RemoveCrashLeftovers(const QString& folder);
// The same beside a file about to be written anywhere (an export the user named has no lock): only the
// user's own files, and only those of a process that is gone, so that another run's save still under way
// is kept. A folder read for them in the last few seconds is not read again.
int RemoveCrashLeftoversBeside(const QString& path);
// The process id in the name of a file AtomicFile writes, or 0 when the name is not one of them.
qint64 CrashLeftoverPid(const QString& fileName);
