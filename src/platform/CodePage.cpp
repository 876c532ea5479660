#include "platform/CodePage.h"

#include <QList>

#include <cstring>

namespace {
CodePage::Kind g_kind = CodePage::Kind::Windows1252;

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves undefined map to the C1 control
// characters of the same value, as Windows does, so that every byte survives a decode and encode.
constexpr char16_t kHigh1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int encode1252(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i) {
        if (kHigh1252[i] == c)
            return 0x80 + i;
    }
    return -1;
}

void noteUnmappable(QString& list, QStringView ch)
{
    if (!list.contains(ch))
        list.append(ch);
}
} // namespace

CodePage::Kind CodePage::current()
{
    return g_kind;
}

void CodePage::setCurrent(Kind kind)
{
    g_kind = kind;
}

bool CodePage::setCurrentByName(const QString& name)
{
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("windows-1252") || n == QLatin1String("cp1252") || n.isEmpty()) {
        g_kind = Kind::Windows1252;
        return true;
    }
    if (n == QLatin1String("utf-8") || n == QLatin1String("utf8")) {
        g_kind = Kind::Utf8;
        return true;
    }
    return false;
}

QString CodePage::currentName()
{
    return g_kind == Kind::Utf8 ? QStringLiteral("UTF-8") : defaultName();
}

QString CodePage::decode(QByteArrayView bytes)
{
    // A text that is no UTF-8 was written before its folder took UTF-8: windows-1252, the only code page
    // older folders knew. Real windows-1252 text with high bytes is almost never well-formed UTF-8.
    if (g_kind == Kind::Utf8 && firstInvalidUtf8(bytes) < 0)
        return QString::fromUtf8(bytes);
    return decodeWindows1252(bytes);
}

QString CodePage::decodeWindows1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        d[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHigh1252[b - 0x80]) : QChar(b);
    }
    return out;
}

CodePage::Encoded CodePage::encode(QStringView text)
{
    Encoded result;
    if (g_kind == Kind::Utf8) {
        // Lone surrogates are the only thing UTF-8 cannot hold.
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                ++i;
                continue;
            }
            if (c.isSurrogate())
                noteUnmappable(result.unmappable, text.mid(i, 1));
        }
        if (result.ok())
            result.bytes = text.toUtf8();
        return result;
    }
    result.bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const int b = encode1252(c);
        if (b >= 0) {
            result.bytes.append(static_cast<char>(b));
            continue;
        }
        qsizetype len = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            len = 2;
        noteUnmappable(result.unmappable, text.mid(i, len));
        i += len - 1;
    }
    if (!result.ok())
        result.bytes.clear();
    return result;
}

QByteArray CodePage::encodeLossy(QStringView text)
{
    if (g_kind == Kind::Utf8)
        return text.toUtf8();
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        const int b = encode1252(c.unicode());
        out.append(b >= 0 ? static_cast<char>(b) : '?');
    }
    return out;
}

QString CodePage::describeCharacters(const QString& characters)
{
    QString shown;
    for (qsizetype i = 0; i < characters.size(); ++i) {
        if (!shown.isEmpty())
            shown += QLatin1String(", ");
        qsizetype len = characters[i].isHighSurrogate() && i + 1 < characters.size() ? 2 : 1;
        const QString ch = characters.mid(i, len);
        const char32_t cp = ch.toUcs4().value(0);
        shown += QStringLiteral("\"%1\" (U+%2)")
                     .arg(ch, QString::number(cp, 16).toUpper().rightJustified(4, QLatin1Char('0')));
        i += len - 1;
    }
    return shown;
}

qsizetype CodePage::firstInvalidUtf8(QByteArrayView text)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        // Most texts are ASCII: step over eight such bytes at a time.
        quint64 word;
        if (n - i >= 8 && (std::memcpy(&word, s + i, 8), (word & 0x8080808080808080ull) == 0)) {
            i += 8;
            continue;
        }
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int more = 0;
        unsigned min = 0;
        unsigned cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1, min = 0x80, cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2, min = 0x800, cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3, min = 0x10000, cp = c & 0x07;
        } else {
            return i;
        }
        if (i + more >= n)
            return i;
        for (int k = 1; k <= more; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return i;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return i;
        i += more + 1;
    }
    return -1;
}
