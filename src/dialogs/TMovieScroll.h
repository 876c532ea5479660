#pragma once

#include "dialogs/MovieMarkup.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QStringList>
#include <QWidget>

class QTimer;

// Text that scrolls upwards like film credits, one pixel per timer tick, drawn off-screen and then onto
// the control in one step. Lines may carry mark-up (MovieMarkup). When the last line has left the top the
// text comes in again from below (Loop), or the control stops and shows CompleteText.
class TMovieScroll : public QWidget
{
    Q_OBJECT

public:
    explicit TMovieScroll(QWidget* parent = nullptr);

    QStringList scrollText() const { return m_scrollText; }
    void setScrollText(const QStringList& lines);
    QColor backColor() const { return m_backColor; }
    void setBackColor(const QColor& color);
    QFont defaultFont() const { return m_defaultFont; }
    void setDefaultFont(const QFont& font);
    // The colour that goes with the default font.
    QColor defaultFontColor() const { return m_defaultFontColor; }
    void setDefaultFontColor(const QColor& color);
    bool loop() const { return m_loop; }
    void setLoop(bool on) { m_loop = on; }
    QString completeText() const { return m_completeText; }
    void setCompleteText(const QString& text);
    int timerInterval() const;
    void setTimerInterval(int milliseconds);
    bool shadow() const { return m_shadow; }
    void setShadow(bool on);
    QColor shadowColor() const { return m_shadowColor; }
    void setShadowColor(const QColor& color);
    int shadowOffset() const { return m_shadowOffset; }
    void setShadowOffset(int pixels);

    // The vertical position of the first line on the control.
    int scrollPos() const { return m_scrollPos; }
    bool isRunning() const;
    // One timer tick: one pixel up, drawn at once.
    void step();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void boundsChanged();
    void paintFrame();

    QStringList m_scrollText;
    QList<MovieMarkup::Line> m_lines;
    QColor m_backColor = Qt::black;
    QFont m_defaultFont;
    QColor m_defaultFontColor = Qt::white;
    bool m_loop = false;
    QString m_completeText = QStringLiteral("The End");
    bool m_shadow = true;
    QColor m_shadowColor = QColor(128, 128, 128);
    int m_shadowOffset = 2;
    QTimer* m_timer = nullptr;
    QPixmap m_picture;
    int m_scrollPos = 0;
};
