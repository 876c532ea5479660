#include "config/Colors.h"

#include <algorithm>
#include <cmath>

#include <QStringList>

#include <algorithm>
#include <iterator>
#include <limits>

namespace {
struct NamedColor
{
    const char* name;
    quint32 value;
};

// The order matters: ColorToText gives the first name whose value matches.
constexpr NamedColor kNamedColors[] = {
    {"clBlack", 0x00000000},         {"clMaroon", 0x00000080},
    {"clGreen", 0x00008000},         {"clOlive", 0x00008080},
    {"clNavy", 0x00800000},          {"clPurple", 0x00800080},
    {"clTeal", 0x00808000},          {"clGray", 0x00808080},
    {"clSilver", 0x00C0C0C0},        {"clRed", 0x000000FF},
    {"clLime", 0x0000FF00},          {"clYellow", 0x0000FFFF},
    {"clBlue", 0x00FF0000},          {"clFuchsia", 0x00FF00FF},
    {"clAqua", 0x00FFFF00},          {"clWhite", 0x00FFFFFF},
    {"clScrollBar", 0x80000000},     {"clBackground", 0x80000001},
    {"clActiveCaption", 0x80000002}, {"clInactiveCaption", 0x80000003},
    {"clMenu", 0x80000004},          {"clWindow", 0x80000005},
    {"clWindowFrame", 0x80000006},   {"clMenuText", 0x80000007},
    {"clWindowText", 0x80000008},    {"clCaptionText", 0x80000009},
    {"clActiveBorder", 0x8000000A},  {"clInactiveBorder", 0x8000000B},
    {"clAppWorkSpace", 0x8000000C},  {"clHighlight", 0x8000000D},
    {"clHighlightText", 0x8000000E}, {"clBtnFace", 0x8000000F},
    {"clBtnShadow", 0x80000010},     {"clGrayText", 0x80000011},
    {"clBtnText", 0x80000012},       {"clInactiveCaptionText", 0x80000013},
    {"clBtnHighlight", 0x80000014},  {"cl3DDkShadow", 0x80000015},
    {"cl3DLight", 0x80000016},       {"clInfoText", 0x80000017},
    {"clInfoBk", 0x80000018},
};
static_assert(std::size(kNamedColors) == 41);

int lightenChannel(int v, int amount)
{
    // Integer division truncates towards zero, as the stored colours expect.
    return std::clamp(v + (255 - v) * amount / 255, 0, 255);
}
} // namespace

const QStringList& ColorNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (const NamedColor& c : kNamedColors)
            list << QLatin1String(c.name);
        return list;
    }();
    return names;
}

QString ColorToText(quint32 color)
{
    for (const NamedColor& c : kNamedColors) {
        if (c.value == color)
            return QLatin1String(c.name);
    }
    return QLatin1Char('$') + QString::number(color, 16).toUpper().rightJustified(8, QLatin1Char('0'));
}

std::optional<quint32> TextToColor(const QString& text)
{
    const QString t = text.trimmed();
    for (const NamedColor& c : kNamedColors) {
        if (t.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return c.value;
    }
    bool ok = false;
    if (t.startsWith(QLatin1Char('$'))) {
        const QStringView digits = QStringView(t).mid(1);
        // toUInt would also take a sign or blanks; a colour in hex is digits only.
        const bool plain = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
            return c.isDigit() || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'));
        });
        const quint32 v = digits.toUInt(&ok, 16);
        if (plain && ok)
            return v;
        return std::nullopt;
    }
    // Decimal, with an optional sign; negative values stand for the same 32 bits.
    const qint64 v = t.toLongLong(&ok, 10);
    if (ok && v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<quint32>::max())
        return static_cast<quint32>(v);
    return std::nullopt;
}

quint32 LightenColor(quint32 color, int amount)
{
    // A system colour constant is not resolved first: only its low three bytes are used.
    const int r = lightenChannel(color & 0xFF, amount);
    const int g = lightenChannel((color >> 8) & 0xFF, amount);
    // Blue deliberately moves less than red and green (amount - 50), which tints the result.
    const int b = lightenChannel((color >> 16) & 0xFF, amount - 50);
    return quint32(r) | (quint32(g) << 8) | (quint32(b) << 16);
}

double ContrastRatio(quint32 a, quint32 b)
{
    // Relative luminance of the sRGB channels, each first turned linear.
    auto luminance = [](quint32 c) {
        auto linear = [](quint32 channel) {
            const double v = (channel & 0xFF) / 255.0;
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c) + 0.7152 * linear(c >> 8) + 0.0722 * linear(c >> 16);
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
