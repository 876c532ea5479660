#include "model/QuickAddParser.h"
#include "platform/Regional.h"

#include <gtest/gtest.h>

// The last word of a quick-add line, read as a date in the user's words, on Saturday 14 March 2026.
TEST(QuickAddParser, TheLastWordIsTheTargetWhenItNamesADay)
{
    Regional::setFormats(QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss"));
    const QDate saturday(2026, 3, 14);
    const QuickAddParser::Words german{
        QStringLiteral("heute"), QStringLiteral("morgen"),
        QStringLiteral("Montag,Dienstag,Mittwoch,Donnerstag,Freitag,Samstag,Sonntag")
            .split(QLatin1Char(','))};
    const struct
    {
        const char* line;
        const char* action;
        QDate target;
    } cases[] = {
        {"Zahnarzt anrufen morgen", "Zahnarzt anrufen", QDate(2026, 3, 15)},
        {"  Steuer   HEUTE ", "Steuer", saturday},
        {"Bericht fre", "Bericht", QDate(2026, 3, 20)},
        {"Markt Samstag", "Markt", QDate(2026, 3, 21)}, // today's name is next week's day
        {"Geschenk 24.12.2026", "Geschenk", QDate(2026, 12, 24)},
        {"Kapitel 3", "Kapitel 3", {}},               // a number is no date
        {"Treffen tomorrow", "Treffen tomorrow", {}}, // the words of another language are text
        {"Version 1.2", "Version 1.2", {}},
        {"morgen", "morgen", {}}, // an item keeps an Action
        {"Abgabe 31.02.2026", "Abgabe 31.02.2026", {}},
    };
    for (const auto& c : cases) {
        const QuickAddParser::Result r = QuickAddParser::parse(QString::fromUtf8(c.line), saturday, german);
        EXPECT_EQ(r.action, QString::fromUtf8(c.action)) << c.line;
        EXPECT_EQ(r.target.value_or(QDate()), c.target) << c.line;
    }
}
