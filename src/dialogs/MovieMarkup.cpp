#include "dialogs/MovieMarkup.h"

namespace {
void applyTag(MovieMarkup::Line& line, const QString& tag)
{
    if (tag == QLatin1String("center")) {
        line.centered = true;
    } else if (tag == QLatin1String("b")) {
        line.bold = true;
    } else if (tag == QLatin1String("i")) {
        line.italic = true;
    } else if (tag == QLatin1String("u")) {
        line.underline = true;
    } else if (tag.startsWith(QLatin1String("size="))) {
        const auto n = MovieMarkup::wholeNumber(tag.mid(5));
        if (n && *n >= 1 && *n <= MovieMarkup::kMaxPointSize)
            line.pointSize = int(*n);
    } else if (tag.startsWith(QLatin1String("font="))) {
        line.family = tag.mid(5);
    } else if (tag.startsWith(QLatin1String("color="))) {
        const auto n = MovieMarkup::wholeNumber(tag.mid(6));
        if (n && *n >= 0 && *n <= 0xFFFFFF)
            line.color = quint32(*n);
    }
}
} // namespace

std::optional<qint64> MovieMarkup::wholeNumber(const QString& text)
{
    bool ok = false;
    qint64 value = 0;
    if (text.startsWith(QLatin1Char('$'))) {
        const QString digits = text.mid(1);
        // toLongLong would also take a sign or "0x" after the "$".
        for (QChar c : digits) {
            if (!c.isDigit() && !(c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')))
                return std::nullopt;
        }
        value = digits.toLongLong(&ok, 16);
    } else {
        if (text.trimmed() != text)
            return std::nullopt;
        value = text.toLongLong(&ok, 10);
    }
    if (!ok)
        return std::nullopt;
    return value;
}

QList<MovieMarkup::Line> MovieMarkup::parse(const QStringList& lines)
{
    QList<Line> result;
    result.reserve(lines.size());
    // Only this one flag carries over from line to line; the tag text starts empty on every line.
    bool insideTag = false;
    for (const QString& source : lines) {
        Line line;
        QString tag;
        for (QChar c : source) {
            if (!insideTag) {
                if (c == QLatin1Char('['))
                    insideTag = true;
                else if (c != QLatin1Char(']'))
                    line.text += c;
            } else if (c == QLatin1Char(']')) {
                insideTag = false;
                applyTag(line, tag);
                tag.clear();
            } else if (c != QLatin1Char('[')) {
                tag += c;
            }
        }
        result.append(line);
    }
    return result;
}
