#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

// The quick-add line: one line of text becomes an item's Action, and a date at its end its Target.
//
// The last word is a date when it is an ISO date (2026-12-24), a whole date in the user's short date format,
// the word for today or tomorrow, or a weekday name (in full or its first three letters), all in the
// language in effect and without regard to case. A weekday means the next such day after today. A line
// that is nothing but a date keeps it as its Action: an item is never made without one.
class QuickAddParser
{
public:
    struct Words
    {
        QString today;
        QString tomorrow;
        // Monday first.
        QStringList weekdays;
    };
    struct Result
    {
        QString action;
        std::optional<QDate> target;
    };

    static Result parse(const QString& line, const QDate& today, const Words& words);
    // The date a single word names, if any.
    static std::optional<QDate> dateOf(const QString& word, const QDate& today, const Words& words);
};
