#pragma once

#include <QString>

class QObject;

// A hint is "short|long": the short part shows at the control (tool tip), the long one in the status bar.
void applyHint(QObject* target, const QString& hint);
