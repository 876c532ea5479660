#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The mark-up of the scrolling credits. Tags stand between "[" and "]" and apply to the whole line they
// stand in: "size=n" (points), "font=name", "center", "b", "i", "u" and "color=n" (0x00BBGGRR). Numbers
// are decimal, or hexadecimal after "$". Other tags are ignored, and so is a size or colour that is not a
// whole number in range. A "[" left open makes the following lines tag text until a "]" closes it.
class MovieMarkup
{
public:
    struct Line
    {
        QString text;
        bool centered = false;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        std::optional<int> pointSize;
        std::optional<QString> family;
        std::optional<quint32> color;

        bool operator==(const Line&) const = default;
    };

    // Sizes beyond this are taken for typing mistakes: a frame would be one letter.
    static constexpr int kMaxPointSize = 400;

    static QList<Line> parse(const QStringList& lines);
    // A whole number as the tags write it: decimal with an optional sign, or "$" and hex digits.
    static std::optional<qint64> wholeNumber(const QString& text);
};
