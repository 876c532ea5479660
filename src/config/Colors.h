#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

// Colours are 32-bit values 0x00BBGGRR, or system colours 0x80000000 + index.

// The colour's name when it is one of the 41 named colours, else "$" and 8 upper-case hex digits.
QString ColorToText(quint32 color);
// A colour name (any case) or an integer (decimal, or hex after "$"); nullopt for anything else.
std::optional<quint32> TextToColor(const QString& text);
// Moves red and green amount/255, and blue (amount - 50)/255, of the way towards 255.
quint32 LightenColor(quint32 color, int amount);
// The contrast ratio of two plain colours (0x00BBGGRR) as the web's accessibility rules measure it:
// 1 for equal colours to 21 for black on white; 4.5 is what normal text needs.
double ContrastRatio(quint32 a, quint32 b);
// The 41 names in their order (index = position).
const QStringList& ColorNames();
