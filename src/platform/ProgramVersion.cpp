#include "platform/ProgramVersion.h"

#include <QStringList>

std::optional<std::array<int, 4>> ProgramVersion::parse(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() > 4)
        return std::nullopt;
    std::array<int, 4> numbers{};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        const uint n = parts.at(i).toUInt(&ok);
        // The version record keeps each number in 16 bits.
        if (!ok || n > 0xFFFF || parts.at(i).startsWith(QLatin1Char('+')))
            return std::nullopt;
        numbers[size_t(i)] = int(n);
    }
    return numbers;
}

std::array<int, 4> ProgramVersion::current()
{
    return parse(QStringLiteral(QUILLMAR_VERSION)).value_or(std::array<int, 4>{});
}
