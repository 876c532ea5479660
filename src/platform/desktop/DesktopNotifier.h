#pragma once

#include <QString>

class QSystemTrayIcon;

// A message on the desktop beside the program's own windows: the tray icon's balloon where the desktop
// has a tray, otherwise the freedesktop notification service. Used when an alarm rings while the window
// is hidden or minimised. Tests put a recording one in its place.
class DesktopNotifier
{
public:
    virtual ~DesktopNotifier() = default;
    // False when no way to show it was found; never shows a box of its own.
    virtual bool notify(const QString& title, const QString& text) = 0;
};

class SystemNotifier : public DesktopNotifier
{
public:
    // tray may be null, or not visible: then the notification service is asked.
    explicit SystemNotifier(QSystemTrayIcon* tray) : m_tray(tray) {}
    bool notify(const QString& title, const QString& text) override;

private:
    QSystemTrayIcon* m_tray;
};
