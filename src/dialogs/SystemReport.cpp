#include "dialogs/SystemReport.h"

#include <QStringList>

namespace {
// The report has room for four volumes on its first drive line, as for the drives C: to F:.
constexpr qsizetype kFirstLineVolumes = 4;

QString kilobytes(const std::optional<quint64>& bytes)
{
    return bytes ? QString::number(*bytes / 1024) : QStringLiteral("unknown");
}

QString drives(const SystemFacts& facts, qsizetype from, qsizetype to)
{
    QString text;
    for (qsizetype i = from; i < std::min(to, facts.volumes.size()); ++i) {
        const SystemFacts::Volume& v = facts.volumes.at(i);
        text += QStringLiteral("%1: %2 MB  ").arg(v.name).arg(v.freeBytes / 1024 / 1024);
    }
    return text;
}
} // namespace

QString SystemReport::versionText(const SystemFacts& facts)
{
    return QStringLiteral("%1.%2   Build : %3")
        .arg(facts.majorVersion)
        .arg(facts.minorVersion)
        .arg(facts.buildNumber);
}

QString SystemReport::memoryText(const SystemFacts& facts)
{
    return QStringLiteral("Tot: %1 KB     Avl: %2 KB")
        .arg(kilobytes(facts.totalMemory), kilobytes(facts.availableMemory));
}

QString SystemReport::firstDrivesText(const SystemFacts& facts)
{
    return drives(facts, 0, kFirstLineVolumes);
}

QString SystemReport::otherDrivesText(const SystemFacts& facts)
{
    return drives(facts, kFirstLineVolumes, facts.volumes.size());
}

QString SystemReport::text(const SystemFacts& facts)
{
    return QStringList{QStringLiteral("You are probably Running ") + facts.osName,
                       QStringLiteral("Version Info: ") + versionText(facts),
                       QStringLiteral("Free Memory: ") + memoryText(facts),
                       QStringLiteral("Free Hard disk Space: "),
                       firstDrivesText(facts),
                       otherDrivesText(facts)}
        .join(QLatin1Char('\n'));
}
