#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <algorithm>
#include <cstring>

// The field scan shared by the line routines and the whole-file reader.
namespace csvscan {
inline constexpr QByteArrayView kPlain(",", 1);
inline constexpr QByteArrayView kQuoted("\",", 2);
inline constexpr QByteArrayView kDoubleQuoted("\"\",", 3);

struct Field
{
    QByteArrayView text;
    // Bytes of rest up to and including the closing comma; rest.size() when not closed.
    qsizetype consumed = 0;
    bool closed = false;
    // A quoted field that nothing on its line closes: its text is the rest of the line.
    bool unclosed = false;
};

// Separators are short and start with a byte that is rare in texts: memchr for it, then compare.
inline qsizetype find(QByteArrayView hay, QByteArrayView needle)
{
    if (hay.size() < needle.size())
        return -1;
    const char* begin = hay.data();
    const char* p = begin;
    const char* last = begin + hay.size() - needle.size(); // the last place the needle can start
    while (p <= last) {
        const void* hit = std::memchr(p, needle[0], last - p + 1);
        if (!hit)
            return -1;
        p = static_cast<const char*>(hit);
        if (std::memcmp(p + 1, needle.data() + 1, needle.size() - 1) == 0)
            return p - begin;
        ++p;
    }
    return -1;
}

// The closing separator of the field that starts at rest[0].
inline QByteArrayView separatorOf(QByteArrayView rest)
{
    if (rest.isEmpty() || rest[0] != '"')
        return kPlain;
    return rest.size() > 1 && rest[1] == '"' ? kDoubleQuoted : kQuoted;
}

// A quoted field whose closing separator is not on its line; body is the rest of the line after its
// opening quotes (quotes of them). No byte is dropped:
//   the line ends in the closing quotes: the field is everything before them (quotes inside are text);
//   a quote closed it early, followed by more text: the field runs on to the next comma (or the line end)
//     and keeps that quote and the text after it; in the one-quote form a doubled quote is text, not a
//     close;
//   nothing closes it: the field is the whole rest of the line, and unclosed says so.
// consumed counts the comma that ends the field, when there is one.
inline Field scanUnclosed(QByteArrayView body, qsizetype quotes)
{
    Field f;
    f.consumed = body.size();
    if (body.size() >= quotes && body.sliced(body.size() - quotes) == QByteArrayView("\"\"", quotes)) {
        f.text = body.first(body.size() - quotes);
        f.closed = true;
        return f;
    }
    qsizetype close = -1;
    for (qsizetype i = 0; i < body.size() && close < 0; ++i) {
        if (body[i] != '"')
            continue;
        if (quotes == 1 && i + 1 < body.size() && body[i + 1] == '"')
            ++i;
        else
            close = i;
    }
    if (close < 0) {
        f.text = body;
        f.unclosed = true;
        return f;
    }
    const qsizetype comma = body.indexOf(',', close);
    f.text = comma < 0 ? body : body.first(comma);
    f.consumed = comma < 0 ? body.size() : comma + 1;
    f.closed = comma >= 0;
    return f;
}

// rest starts at the field's first byte; separator is its form's closing separator. A plain field without
// its comma runs to the end of rest; a quoted one is read by scanUnclosed.
inline Field scanField(QByteArrayView rest, QByteArrayView separator)
{
    const qsizetype open = std::min(separator.size() - 1, rest.size());
    const QByteArrayView body = rest.sliced(open);
    Field f;
    const qsizetype k = find(body, separator);
    if (k >= 0) {
        f.text = body.first(k);
        f.consumed = open + k + separator.size();
        f.closed = true;
        return f;
    }
    if (separator.size() > 1) {
        f = scanUnclosed(body, separator.size() - 1);
        f.consumed += open;
        return f;
    }
    f.text = body;
    f.consumed = rest.size();
    return f;
}

// The escaped form carries texts that the three plain forms cannot: \" opens it, the text follows with
// backslash, CR, LF, NUL, comma and quote written as \\ \r \n \0 \c \q, and a quote closes it before the
// comma. Its bytes hold no comma, quote or line break of their own, so a line stays one record and its
// fields stay in their columns for any reader of the three forms. Those forms never start a field with
// \" (a plain field holds no quote), nor does a spreadsheet (it quotes every field that holds a quote).
inline constexpr char kEscapeOpen[] = "\\\"";

// Index in rest of the quote that closes a well-formed escaped field starting at rest[0], or -1 when rest
// does not start one: then the field is read in the three forms like any other. rest may run on past the
// end of the field's line (a CR, LF or NUL ends the line).
inline qsizetype escapedClose(QByteArrayView rest)
{
    if (rest.size() < 3 || rest[0] != '\\' || rest[1] != '"')
        return -1;
    for (qsizetype i = 2; i < rest.size(); ++i) {
        switch (rest[i]) {
        case '"':
            // Closed before a comma, or at the end of its line.
            if (i + 1 == rest.size() || std::strchr(",\r\n", rest[i + 1]))
                return i;
            return -1;
        case '\\':
            if (++i == rest.size() || !std::strchr("\\rn0cq", rest[i]) || rest[i] == '\0')
                return -1;
            break;
        case ',':
        case '\r':
        case '\n':
        case '\0':
            return -1;
        default:
            break;
        }
    }
    return -1;
}

// Appends the text of a body checked by escapedClose (the bytes between \" and the closing quote).
inline void unescape(QByteArrayView body, QByteArray& out)
{
    const qsizetype start = out.size();
    out.resize(start + body.size());
    char* d = out.data() + start;
    const char* p = body.data();
    const char* const end = p + body.size();
    while (p < end) {
        // Runs without escapes are copied whole.
        const char* slash = static_cast<const char*>(std::memchr(p, '\\', size_t(end - p)));
        const char* runEnd = slash ? slash : end;
        std::memcpy(d, p, size_t(runEnd - p));
        d += runEnd - p;
        if (!slash)
            break;
        switch (slash[1]) {
        case 'r':
            *d++ = '\r';
            break;
        case 'n':
            *d++ = '\n';
            break;
        case '0':
            *d++ = '\0';
            break;
        case 'c':
            *d++ = ',';
            break;
        case 'q':
            *d++ = '"';
            break;
        default:
            *d++ = '\\';
            break;
        }
        p = slash + 2;
    }
    out.truncate(d - out.constData());
}

// Reads the fields of one line (no line break inside) in order: onField(text, escaped) gets the text of a
// field in one of the three forms, or the body of an escaped field that the caller unescapes. The scan runs
// to the end of the line; a line ending in a comma has no empty field after it.
template <typename OnField> void scanLine(QByteArrayView line, OnField&& onField)
{
    qsizetype p = 0;
    while (p < line.size()) {
        const QByteArrayView rest = line.sliced(p);
        if (const qsizetype close = escapedClose(rest); close >= 0) {
            onField(rest.sliced(2, close - 2), true);
            p += close + 2;
            continue;
        }
        const Field f = scanField(rest, separatorOf(rest));
        onField(f.text, false);
        p += f.consumed;
    }
}
} // namespace csvscan
