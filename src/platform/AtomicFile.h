#pragma once

#include "platform/FileStamp.h"
#include "platform/IoResult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

// Writes a file so that it is either replaced whole or left as it was: the bytes go to a new file beside
// it, which is synced and then renamed over it. Every writer of the program's files saves through this.
//
// Only a regular file (or a name that does not exist yet) is written; a folder, device, pipe or socket is
// refused and left alone. A replaced file keeps its permissions (and its owner, where allowed); a new one
// is the user's alone (0600).
//
// A symbolic link is treated by whose file it is. The user's own lists may be links to wherever the user
// keeps them: the file a link points to is replaced and the link stays. The files the program keeps in
// its data folder are never written through a link, which someone may have planted there to have the
// program overwrite a file of the user's: the new file replaces the link itself, and what it pointed to
// is not touched.
//
// The file being written is named ".<name>.<pid>.<random>.quillmar-tmp" beside the target, so that a
// later run can tell the leftovers of a crashed save from the file of a save still under way
// (RemoveCrashLeftovers). Opening removes the leftovers of crashed saves in the same folder
// (RemoveCrashLeftoversBeside).
// Failures name the file, the step and the system's reason.
class AtomicFile
{
public:
    enum class Ownership
    {
        UserFile,   // a list or export the user named: a link is written through to its target
        ProgramFile // the program's own file in its data folder: a link is replaced, never followed
    };

    // Runs once the new file is whole and synced, just before it replaces the old one, with the stamp the
    // file will have in its place; the old file stays when it fails.
    using BeforeReplace = std::function<IoResult(const FileStamp& written)>;

    explicit AtomicFile(const QString& path, Ownership ownership = Ownership::UserFile);
    ~AtomicFile(); // drops what was written unless commit() succeeded
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    IoResult open();
    // False once anything failed; commit() then reports it.
    bool write(QByteArrayView bytes);
    IoResult commit(const BeforeReplace& beforeReplace = {});
    // Drops the new file; the old one stays as it was.
    void cancel();

    // open, write, commit in one.
    static IoResult save(const QString& path, QByteArrayView bytes, Ownership ownership = Ownership::UserFile,
                         const BeforeReplace& beforeReplace = {});

    // The suffix of the names of the files being written.
    static QString tempSuffix();

private:
    IoResult fail(IoStep step, int error);

    QString m_path;   // as the caller named it, for messages
    QString m_target; // the file that is replaced (a link's target for a user's file)
    Ownership m_ownership;
    QByteArray m_temp;
    int m_fd = -1;
    int m_writeError = 0;
};

// Writes bytes to the program's standard output (for "-" as an output file name).
IoResult WriteStandardOutput(QByteArrayView bytes);
