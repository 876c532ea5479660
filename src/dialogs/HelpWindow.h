#pragma once

#include <QWidget>

class QTextBrowser;

// The manual in a window of its own: Back and Forward like a browser, Escape closes it, and it opens
// centred on the window it belongs to.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    HelpWindow(const QUrl& manual, QWidget* owner);
    QTextBrowser* browser() const { return m_browser; }
    // Shows it in front, centred on its owner the first time.
    void present();

private:
    QWidget* m_owner;
    QTextBrowser* m_browser;
    bool m_placed = false;
};
