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
    // The manual in that language ("de": manual.de.html), else the English one. A manual beside the
    // program, or in the installation's shared data, wins over the one built in.
    static QUrl manualFor(const QString& language);
    QTextBrowser* browser() const { return m_browser; }
    // Shows it in front, centred on its owner the first time.
    void present();

private:
    QWidget* m_owner;
    QTextBrowser* m_browser;
    bool m_placed = false;
};
