#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// The lock that says which process owns the list files of one data folder. The window takes it for its
// whole run; command-line modes that write list files take it for their run and refuse to write when a
// window holds it. A lock left behind by a process that died is taken over.
class InstanceLock
{
public:
    explicit InstanceLock(const QString& dataFolder);
    ~InstanceLock();

    bool tryLock();
    void unlock();
    bool isLocked() const;

    static QString lockFilePath(const QString& dataFolder);
    // Process id of the holder, or 0 when the folder is free or the holder is unknown.
    static qint64 holderPid(const QString& dataFolder);

private:
    std::unique_ptr<QLockFile> m_lock;
};
