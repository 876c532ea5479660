#pragma once

#include <QString>

#include <array>
#include <optional>

// The program's version record: four numbers, major.minor.release.build, built in from the project's
// version.
class ProgramVersion
{
public:
    // The numbers of a version text "a.b.c.d"; missing trailing numbers are 0. Nothing for a text that
    // is not made of one to four whole numbers.
    static std::optional<std::array<int, 4>> parse(const QString& text);
    // This program's numbers.
    static std::array<int, 4> current();
};
