#include "platform/SystemInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QSysInfo>
#include <QVersionNumber>

#include <algorithm>

#if defined(Q_OS_WIN)
#include <windows.h>
#elif defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace {
// File systems that hold no user data: kernel interfaces, memory, container layers and packed images.
bool isPseudoFileSystem(const QString& type)
{
    static const QStringList pseudo = {QStringLiteral("proc"),
                                       QStringLiteral("sysfs"),
                                       QStringLiteral("devtmpfs"),
                                       QStringLiteral("devpts"),
                                       QStringLiteral("tmpfs"),
                                       QStringLiteral("ramfs"),
                                       QStringLiteral("cgroup"),
                                       QStringLiteral("cgroup2"),
                                       QStringLiteral("mqueue"),
                                       QStringLiteral("debugfs"),
                                       QStringLiteral("tracefs"),
                                       QStringLiteral("securityfs"),
                                       QStringLiteral("pstore"),
                                       QStringLiteral("bpf"),
                                       QStringLiteral("autofs"),
                                       QStringLiteral("fusectl"),
                                       QStringLiteral("configfs"),
                                       QStringLiteral("hugetlbfs"),
                                       QStringLiteral("efivarfs"),
                                       QStringLiteral("binfmt_misc"),
                                       QStringLiteral("nsfs"),
                                       QStringLiteral("overlay"),
                                       QStringLiteral("squashfs"),
                                       QStringLiteral("rpc_pipefs"),
                                       QStringLiteral("fuse.gvfsd-fuse"),
                                       QStringLiteral("fuse.portal"),
                                       QStringLiteral("rootfs")};
    return pseudo.contains(type);
}

#if defined(Q_OS_LINUX)
std::optional<quint64> meminfoValue(const QByteArray& text, const QByteArray& key)
{
    for (const QByteArray& line : text.split('\n')) {
        if (!line.startsWith(key + ':'))
            continue;
        // "MemTotal:       16318504 kB"
        const QList<QByteArray> parts = line.mid(key.size() + 1).simplified().split(' ');
        bool ok = false;
        const quint64 kb = parts.value(0).toULongLong(&ok);
        if (ok)
            return kb * 1024;
    }
    return std::nullopt;
}
#endif

void readMemory(SystemFacts& facts)
{
#if defined(Q_OS_WIN)
    MEMORYSTATUSEX status;
    status.dwLength = sizeof(status);
    if (GlobalMemoryStatusEx(&status)) {
        facts.totalMemory = status.ullTotalPhys;
        facts.availableMemory = status.ullAvailPhys;
    }
#elif defined(Q_OS_LINUX)
    QFile file(QStringLiteral("/proc/meminfo"));
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray text = file.read(64 * 1024);
        facts.totalMemory = meminfoValue(text, "MemTotal");
        facts.availableMemory = meminfoValue(text, "MemAvailable");
    }
#elif defined(Q_OS_UNIX) && defined(_SC_PHYS_PAGES)
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        facts.totalMemory = quint64(pages) * quint64(pageSize);
#endif
}
} // namespace

QList<SystemFacts::Volume>
SystemInfo::walkDrives(const std::function<std::optional<quint64>(QChar)>& freeSpace)
{
    QList<SystemFacts::Volume> drives;
    std::optional<quint64> free = freeSpace(QLatin1Char('C'));
    drives.append({QStringLiteral("C"), free.value_or(0)});
    if (!free)
        return drives;
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
        free = freeSpace(QLatin1Char(letter));
        if (!free)
            break;
        drives.append({QString(QLatin1Char(letter)), *free});
    }
    return drives;
}

QList<SystemFacts::Volume> SystemInfo::chooseVolumes(const QList<Mount>& mounts,
                                                     const QString& homeMountPoint)
{
    QList<Mount> ordered;
    auto takeFirst = [&](const QString& mountPoint) {
        for (const Mount& m : mounts) {
            if (m.mountPoint == mountPoint) {
                ordered.append(m);
                return;
            }
        }
    };
    takeFirst(QStringLiteral("/"));
    if (homeMountPoint != QLatin1String("/"))
        takeFirst(homeMountPoint);
    QList<Mount> others;
    for (const Mount& m : mounts) {
        if (m.mountPoint == QLatin1String("/") || m.mountPoint == homeMountPoint)
            continue;
        // A file mounted over another file (containers do that) is no volume of its own.
        if (!m.isDirectory || isPseudoFileSystem(m.fileSystemType))
            continue;
        others.append(m);
    }
    std::sort(others.begin(), others.end(),
              [](const Mount& a, const Mount& b) { return a.mountPoint < b.mountPoint; });
    ordered += others;

    QList<SystemFacts::Volume> volumes;
    QStringList devices;
    for (const Mount& m : ordered) {
        if (!m.device.isEmpty() && devices.contains(m.device))
            continue;
        devices.append(m.device);
        volumes.append({m.mountPoint, m.freeBytes});
    }
    return volumes;
}

SystemFacts SystemInfo::gather()
{
    SystemFacts facts;
    facts.osName = QSysInfo::prettyProductName();
    const QVersionNumber version = QVersionNumber::fromString(QSysInfo::kernelVersion());
    facts.majorVersion = version.majorVersion();
    facts.minorVersion = version.minorVersion();
    facts.buildNumber = version.microVersion();
    readMemory(facts);

#if defined(Q_OS_WIN)
    facts.volumes = walkDrives([](QChar letter) -> std::optional<quint64> {
        const QStorageInfo drive(QString(letter) + QStringLiteral(":/"));
        if (!drive.isValid() || !drive.isReady())
            return std::nullopt;
        return quint64(drive.bytesAvailable());
    });
#else
    QList<Mount> mounts;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid() || !v.isReady())
            continue;
        mounts.append({v.rootPath(), QString::fromLocal8Bit(v.device()),
                       QString::fromLatin1(v.fileSystemType()),
                       quint64(std::max<qint64>(v.bytesAvailable(), 0)), QFileInfo(v.rootPath()).isDir()});
    }
    facts.volumes = chooseVolumes(mounts, QStorageInfo(QDir::homePath()).rootPath());
#endif
    return facts;
}
