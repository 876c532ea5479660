#include "platform/InstanceLock.h"

#include <QDir>

InstanceLock::InstanceLock(const QString& dataFolder)
    : m_lock(std::make_unique<QLockFile>(lockFilePath(dataFolder)))
{
    // Never stale by age: a window may run for weeks. A dead holder is still detected by its process id.
    m_lock->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::tryLock()
{
    if (m_lock->isLocked())
        return true;
    if (m_lock->tryLock(0))
        return true;
    if (m_lock->error() == QLockFile::LockFailedError && m_lock->removeStaleLockFile())
        return m_lock->tryLock(0);
    return false;
}

void InstanceLock::unlock()
{
    if (m_lock->isLocked())
        m_lock->unlock();
}

bool InstanceLock::isLocked() const
{
    return m_lock->isLocked();
}

QString InstanceLock::lockFilePath(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("quillmar.lock"));
}

qint64 InstanceLock::holderPid(const QString& dataFolder)
{
    QLockFile probe(lockFilePath(dataFolder));
    qint64 pid = 0;
    QString host, app;
    if (probe.getLockInfo(&pid, &host, &app))
        return pid;
    return 0;
}
