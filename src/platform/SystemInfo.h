#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// What the about box reports about this machine: the operating system, the physical memory and the free
// space of the volumes the user works on.
struct SystemFacts
{
    struct Volume
    {
        // A drive letter on Windows, the mount point elsewhere.
        QString name;
        quint64 freeBytes = 0;
    };

    QString osName;
    int majorVersion = 0;
    int minorVersion = 0;
    int buildNumber = 0;
    std::optional<quint64> totalMemory;
    std::optional<quint64> availableMemory;
    QList<Volume> volumes;
};

class SystemInfo
{
public:
    // Asks the machine.
    static SystemFacts gather();

    // Windows drives: C: and onwards for as long as the next drive's free space can be asked; C: is
    // always listed, with 0 (and nothing after it) when it cannot be asked either.
    static QList<SystemFacts::Volume>
    walkDrives(const std::function<std::optional<quint64>(QChar)>& freeSpace);

    // The volumes of a Unix-like system: the root and the home volume first, then the other mounted real
    // file systems by mount point, each device once. Pseudo and memory file systems are left out.
    struct Mount
    {
        QString mountPoint;
        QString device;
        QString fileSystemType;
        quint64 freeBytes = 0;
        bool isDirectory = true;
    };
    static QList<SystemFacts::Volume> chooseVolumes(const QList<Mount>& mounts,
                                                    const QString& homeMountPoint);
};
