#include "dialogs/TMovieScroll.h"

#include <QPainter>
#include <QTimer>

TMovieScroll::TMovieScroll(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_defaultFont = QFont(QStringLiteral("Courier New"));
    m_defaultFont.setPointSize(9);
    m_timer = new QTimer(this);
    m_timer->setInterval(40);
    connect(m_timer, &QTimer::timeout, this, &TMovieScroll::step);
    resize(200, 100);
    m_scrollPos = height() + 1;
    m_timer->start();
}

void TMovieScroll::setScrollText(const QStringList& lines)
{
    m_scrollText = lines;
    m_lines = MovieMarkup::parse(lines);
    update();
}

void TMovieScroll::setBackColor(const QColor& color)
{
    m_backColor = color;
    update();
}

void TMovieScroll::setDefaultFont(const QFont& font)
{
    m_defaultFont = font;
    update();
}

void TMovieScroll::setDefaultFontColor(const QColor& color)
{
    m_defaultFontColor = color;
    update();
}

void TMovieScroll::setCompleteText(const QString& text)
{
    m_completeText = text;
    update();
}

int TMovieScroll::timerInterval() const
{
    return m_timer->interval();
}

void TMovieScroll::setTimerInterval(int milliseconds)
{
    m_timer->setInterval(milliseconds);
}

void TMovieScroll::setShadow(bool on)
{
    m_shadow = on;
    update();
}

void TMovieScroll::setShadowColor(const QColor& color)
{
    m_shadowColor = color;
    update();
}

void TMovieScroll::setShadowOffset(int pixels)
{
    m_shadowOffset = pixels;
    update();
}

bool TMovieScroll::isRunning() const
{
    return m_timer->isActive();
}

void TMovieScroll::step()
{
    --m_scrollPos;
    repaint();
}

void TMovieScroll::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    boundsChanged();
}

void TMovieScroll::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    boundsChanged();
}

void TMovieScroll::boundsChanged()
{
    m_scrollPos = height() + 1;
    m_picture = QPixmap();
}

void TMovieScroll::paintEvent(QPaintEvent*)
{
    const qreal dpr = devicePixelRatioF();
    if (m_picture.isNull() || m_picture.size() != size() * dpr) {
        m_picture = QPixmap(size() * dpr);
        m_picture.setDevicePixelRatio(dpr);
    }
    paintFrame();
    QPainter p(this);
    p.drawPixmap(0, 0, m_picture);
}

void TMovieScroll::paintFrame()
{
    QPainter p(&m_picture);
    p.fillRect(rect(), m_backColor);
    int offset = 0;
    int lastHeight = 0;
    for (const MovieMarkup::Line& line : std::as_const(m_lines)) {
        QFont font = m_defaultFont;
        font.setBold(line.bold);
        font.setItalic(line.italic);
        font.setUnderline(line.underline);
        if (line.pointSize)
            font.setPointSize(*line.pointSize);
        if (line.family)
            font.setFamily(*line.family);
        const QColor color = line.color ? QColor(int(*line.color & 0xFF), int((*line.color >> 8) & 0xFF),
                                                 int((*line.color >> 16) & 0xFF))
                                        : m_defaultFontColor;
        p.setFont(font);
        const QFontMetrics fm(font);
        const int textWidth = fm.horizontalAdvance(line.text);
        const int left = line.centered ? (width() - textWidth) / 2 : 1;
        const int top = m_scrollPos + offset;
        if (!line.text.isEmpty()) {
            if (m_shadow) {
                p.setPen(m_shadowColor);
                p.drawText(left + m_shadowOffset, top + m_shadowOffset + fm.ascent(), line.text);
            }
            p.setPen(color);
            p.drawText(left, top + fm.ascent(), line.text);
        }
        // An empty line is as high as a "W".
        lastHeight = fm.height();
        offset += lastHeight;
    }
    if (lastHeight + m_scrollPos + offset < 0) {
        if (m_loop) {
            m_scrollPos = height() + 1;
        } else {
            m_timer->stop();
            QFont end = m_defaultFont;
            end.setBold(true);
            end.setPointSize(20);
            p.setFont(end);
            p.setPen(m_defaultFontColor);
            p.drawText(rect(), Qt::AlignCenter, m_completeText);
        }
    }
}
