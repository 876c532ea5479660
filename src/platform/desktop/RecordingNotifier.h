#pragma once

#include "platform/desktop/DesktopNotifier.h"

#include <QStringList>

// A notifier for tests: remembers what it was asked to show.
class RecordingNotifier : public DesktopNotifier
{
public:
    bool notify(const QString& title, const QString& text) override
    {
        shown << title + QLatin1Char('|') + text;
        return true;
    }
    QStringList shown;
};
