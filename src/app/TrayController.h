#pragma once

#include <QObject>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QWidget;

// The tray icon with its menu (restore, exit). It is made only after the window's first frame, and hidden
// while the window is in sight: a window goes to the tray only while an icon can really be shown there.
class TrayController : public QObject
{
    Q_OBJECT

public:
    explicit TrayController(QWidget* window);

    // Makes the icon (once); null until then.
    QSystemTrayIcon* create();
    QSystemTrayIcon* icon() const { return m_icon; }
    bool available() const;
    void show();
    void hide();
    void retranslate();

Q_SIGNALS:
    void restoreRequested();
    void exitRequested();

private:
    QWidget* m_window;
    QSystemTrayIcon* m_icon = nullptr;
    QMenu* m_popup = nullptr;
    QAction* m_restoreAction = nullptr;
    QAction* m_exitAction = nullptr;
};
