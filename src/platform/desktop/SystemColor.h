#pragma once

#include <QColor>

// Colours as the settings file stores them: 0x00BBGGRR, or 0x800000nn for the system colour number nn,
// which is taken from the application's palette.
namespace SystemColor {
QColor toQColor(quint32 color);
}
