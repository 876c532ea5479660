#pragma once

#include "platform/IoResult.h"

#include <QString>

// The lock that says which process owns the list files of one data folder. The window takes it for its
// whole run; command-line modes that write list files take it for their run and refuse to write when
// another run holds it.
//
// The lock is an advisory lock (flock) on the file quillmar.lock in the data folder, held as long as the
// file stays open. The system releases it when its holder ends in any way, so a lock left by a process that
// died is simply taken over, and a lock whose holder is alive is never taken away or removed. The file
// names the holder's process id and role, for messages.
class InstanceLock
{
public:
    enum class Role
    {
        Window,
        CommandLine
    };

    // Who holds the lock of a folder, as far as its file tells.
    struct Holder
    {
        bool held = false;
        qint64 pid = 0; // 0 when not known
        Role role = Role::Window;
        bool roleKnown = false;
    };

    explicit InstanceLock(const QString& dataFolder, Role role = Role::Window);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock, waiting up to waitMs for a holder to let go. On failure error() says why.
    bool tryLock(int waitMs = 0);
    void unlock();
    bool isLocked() const;
    // Why the last tryLock failed: kind Busy with the holder named, or the system's reason.
    const IoResult& error() const { return m_error; }

    static QString lockFilePath(const QString& dataFolder);
    static Holder holder(const QString& dataFolder);
    // Process id of the holder, or 0 when the folder is free or the holder is unknown.
    static qint64 holderPid(const QString& dataFolder);

private:
    // One attempt: 1 taken, 0 held by another process, -1 failed (m_error set).
    int attempt();

    QString m_folder;
    QString m_path;
    Role m_role;
    int m_fd = -1;
    IoResult m_error;
};
