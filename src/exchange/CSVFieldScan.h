#pragma once

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
    // rest without its opening quotes: what a field that goes on over the next lines starts with.
    QByteArrayView body;
};

// Separators are short and start with a byte that is rare in texts: memchr for it, then compare.
inline qsizetype find(QByteArrayView hay, QByteArrayView needle)
{
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

// rest starts at the field's first byte; separator is its form's closing separator. An unclosed field
// runs to the end of rest, cut before the first byte of the separator.
inline Field scanField(QByteArrayView rest, QByteArrayView separator)
{
    const qsizetype open = std::min(separator.size() - 1, rest.size());
    Field f;
    f.body = rest.sliced(open);
    const qsizetype k = find(f.body, separator);
    if (k >= 0) {
        f.text = f.body.first(k);
        f.consumed = open + k + separator.size();
        f.closed = true;
        return f;
    }
    const qsizetype cut = find(f.body, separator.first(1));
    f.text = cut >= 0 ? f.body.first(cut) : f.body;
    f.consumed = rest.size();
    return f;
}
} // namespace csvscan
