#pragma once

#include "platform/IoResult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Writes a file so that it is either replaced whole or left as it was: the bytes go to a new file beside
// it, which is synced and then renamed over it. Every writer of the program's files saves through this.
//
// Only a regular file (or a name that does not exist yet) is written; a folder, device, pipe or socket is
// refused and left alone. A symbolic link is followed, so the file it points to is replaced and the link
// stays. A replaced file keeps its permissions (and its owner, where allowed); a new one gets the usual
// ones (0666 less the umask).
// Errors name the file and the system's reason.
class AtomicFile
{
public:
    // A user's file (a list) may be a link to where the user keeps it, and is written through it. A file
    // that belongs to the program (the settings, the recovery copy) never is: a link in its place is
    // replaced by the new file and what it points to stays as it was.
    enum class Ownership
    {
        UserFile,
        ProgramFile
    };

    explicit AtomicFile(const QString& path, Ownership ownership = Ownership::UserFile);
    ~AtomicFile(); // drops what was written unless commit() succeeded
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    IoResult open();
    // False once anything failed; commit() then reports it.
    bool write(QByteArrayView bytes);
    IoResult commit();
    // Drops the new file; the old one stays as it was.
    void cancel();

    // open, write, commit in one.
    static IoResult save(const QString& path, QByteArrayView bytes,
                         Ownership ownership = Ownership::UserFile);

private:
    IoResult fail(const char* what, int error);

    QString m_path; // as the caller named it, for messages
    Ownership m_ownership;
    QString m_target; // the file that is replaced (a link's target)
    QByteArray m_temp;
    int m_fd = -1;
    int m_writeError = 0;
};

// Writes bytes to the program's standard output (for "-" as an output file name).
IoResult WriteStandardOutput(QByteArrayView bytes);
