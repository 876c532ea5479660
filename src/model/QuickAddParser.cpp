#include "model/QuickAddParser.h"

#include "platform/Regional.h"

#include <QRegularExpression>

#include <algorithm>

std::optional<QDate> QuickAddParser::dateOf(const QString& word, const QDate& today, const Words& words)
{
    if (word.isEmpty())
        return std::nullopt;
    if (word.compare(words.today, Qt::CaseInsensitive) == 0)
        return today;
    if (word.compare(words.tomorrow, Qt::CaseInsensitive) == 0)
        return today.addDays(1);
    for (int i = 0; i < words.weekdays.size(); ++i) {
        const QString& name = words.weekdays.at(i);
        const bool matches = word.compare(name, Qt::CaseInsensitive) == 0 ||
                             (word.size() == 3 && name.startsWith(word, Qt::CaseInsensitive));
        if (matches) {
            const int ahead = (i + 1 - today.dayOfWeek() + 7) % 7;
            return today.addDays(ahead == 0 ? 7 : ahead);
        }
    }
    // Only whole dates (day, month and year) are read as dates: the lenient reading takes "3" for a day
    // and "1.2" for the first of February.
    const qsizetype separators = std::count_if(word.cbegin(), word.cend(), [](QChar c) {
        return c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('/');
    });
    if (!word.front().isDigit() || !word.back().isDigit() || separators != 2)
        return std::nullopt;
    const QDate iso = QDate::fromString(word, Qt::ISODate);
    if (iso.isValid())
        return iso;
    return Regional::textToDate(QStringView(word));
}

QuickAddParser::Result QuickAddParser::parse(const QString& line, const QDate& today, const Words& words)
{
    const QString text = line.trimmed();
    const qsizetype lastSpace = text.lastIndexOf(QRegularExpression(QStringLiteral("\\s")));
    if (lastSpace < 0)
        return {text, std::nullopt};
    const std::optional<QDate> date = dateOf(text.mid(lastSpace + 1), today, words);
    if (!date)
        return {text, std::nullopt};
    return {text.left(lastSpace).trimmed(), date};
}
