#pragma once

#include "platform/SystemInfo.h"

#include <QString>

// The texts of the about box's system report, laid out from what SystemInfo found.
class SystemReport
{
public:
    // "%d.%d   Build : %d"
    static QString versionText(const SystemFacts& facts);
    // "Tot: %d KB     Avl: %d KB"; a value the machine did not tell shows as "unknown".
    static QString memoryText(const SystemFacts& facts);
    // "%s: %d MB  " for each volume: the first four in the first text, the others in the second.
    static QString firstDrivesText(const SystemFacts& facts);
    static QString otherDrivesText(const SystemFacts& facts);
    // The whole report, one piece a line.
    static QString text(const SystemFacts& facts);
};
