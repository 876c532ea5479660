#include "dialogs/SystemReport.h"

#include "config/LanguageTexts.h"

#include <QStringList>

namespace {
QString label(const char* key)
{
    return LanguageTexts::shared().text("SystemReport", key);
}

// The report has room for four volumes on its first drive line, as for the drives C: to F:.
constexpr qsizetype kFirstLineVolumes = 4;

QString kilobytes(const std::optional<quint64>& bytes)
{
    return bytes ? QString::number(*bytes / 1024) : label("Unknown");
}

QString drives(const SystemFacts& facts, qsizetype from, qsizetype to)
{
    QString text;
    for (qsizetype i = from; i < std::min(to, facts.volumes.size()); ++i) {
        const SystemFacts::Volume& v = facts.volumes.at(i);
        text += label("Volume").arg(v.name).arg(v.freeBytes / 1024 / 1024) + QStringLiteral("  ");
    }
    return text;
}
} // namespace

QString SystemReport::versionText(const SystemFacts& facts)
{
    return label("Version").arg(facts.majorVersion).arg(facts.minorVersion).arg(facts.buildNumber);
}

QString SystemReport::memoryText(const SystemFacts& facts)
{
    return label("Memory").arg(kilobytes(facts.totalMemory), kilobytes(facts.availableMemory));
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
    // Language files lose a text's closing blank; the report's layout keeps it.
    return QStringList{label("Running").arg(facts.osName),
                       label("VersionInfo").arg(versionText(facts)),
                       label("FreeMemory").arg(memoryText(facts)),
                       label("FreeDisk") + QLatin1Char(' '),
                       firstDrivesText(facts),
                       otherDrivesText(facts)}
        .join(QLatin1Char('\n'));
}
