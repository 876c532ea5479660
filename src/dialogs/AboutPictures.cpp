#include "dialogs/AboutPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

QPixmap AboutPictures::topPicture(const QSize& size, qreal devicePixelRatio)
{
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(QPointF(0, 0), QSizeF(size));

    // Night sky over paper: deep blue fading to teal at the bottom.
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0.0, QColor(8, 16, 64));
    sky.setColorAt(0.7, QColor(16, 64, 112));
    sky.setColorAt(1.0, QColor(24, 112, 128));
    p.fillRect(r, sky);
    QRadialGradient glow(QPointF(r.width() * 0.62, r.height() * 0.45), r.width() * 0.45);
    glow.setColorAt(0.0, QColor(255, 255, 255, 48));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(r, glow);

    // A sheet of to-do lines with their check boxes, tilted, and a quill: faint, for the box's labels stand
    // over them.
    p.save();
    p.setOpacity(0.28);
    p.translate(r.width() * 0.42, r.height() * 0.30);
    p.rotate(-8);
    const QRectF sheet(0, 0, r.width() * 0.34, r.height() * 0.62);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(sheet.translated(4, 4), 3, 3);
    p.setBrush(QColor(246, 242, 226));
    p.drawRoundedRect(sheet, 3, 3);
    const int rows = 5;
    for (int i = 0; i < rows; ++i) {
        const qreal y = sheet.top() + 10 + i * (sheet.height() - 18) / rows;
        const QRectF box(sheet.left() + 8, y, 8, 8);
        p.setPen(QPen(QColor(40, 60, 110), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(box);
        if (i % 2 == 0) {
            p.setPen(QPen(QColor(200, 40, 40), 1.8));
            p.drawPolyline(QPolygonF({box.topLeft() + QPointF(1.5, 4), box.bottomLeft() + QPointF(3.5, -1.5),
                                      box.topRight() + QPointF(2.5, -2.5)}));
        }
        p.setPen(QPen(QColor(120, 130, 160), 1.4));
        p.drawLine(QPointF(box.right() + 6, box.center().y()),
                   QPointF(sheet.right() - 8 - (i % 3) * 9, box.center().y()));
    }
    p.restore();

    // The quill: a curved feather with its shaft, and the nib resting on the sheet.
    p.save();
    p.setOpacity(0.35);
    QPainterPath feather;
    const QPointF nib(r.width() * 0.50, r.height() * 0.88);
    const QPointF tip(r.width() * 0.93, r.height() * 0.06);
    feather.moveTo(nib);
    feather.cubicTo(QPointF(r.width() * 0.58, r.height() * 0.55),
                    QPointF(r.width() * 0.70, r.height() * 0.10), tip);
    feather.cubicTo(QPointF(r.width() * 0.88, r.height() * 0.35),
                    QPointF(r.width() * 0.72, r.height() * 0.62), nib);
    QLinearGradient vane(nib, tip);
    vane.setColorAt(0.0, QColor(255, 255, 255, 230));
    vane.setColorAt(1.0, QColor(190, 210, 255, 200));
    p.setPen(QPen(QColor(255, 255, 255, 120), 1));
    p.setBrush(vane);
    p.drawPath(feather);
    p.setPen(QPen(QColor(60, 70, 110), 1.3));
    QPainterPath shaft;
    shaft.moveTo(nib);
    shaft.cubicTo(QPointF(r.width() * 0.62, r.height() * 0.55), QPointF(r.width() * 0.78, r.height() * 0.25),
                  tip);
    p.setBrush(Qt::NoBrush);
    p.drawPath(shaft);
    p.restore();

    // A few stars.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 220, 200));
    const QPointF stars[] = {{0.30, 0.08}, {0.12, 0.55}, {0.80, 0.70}, {0.36, 0.82}, {0.22, 0.30}};
    for (const QPointF& s : stars)
        p.drawEllipse(QPointF(s.x() * r.width(), s.y() * r.height()), 1.2, 1.2);
    return pixmap;
}

QPixmap AboutPictures::backgroundPattern()
{
    QPixmap pattern(8, 8);
    pattern.fill(QColor(16, 24, 72));
    QPainter p(&pattern);
    p.setPen(QColor(28, 40, 100));
    p.drawLine(0, 7, 7, 0);
    p.drawPoint(0, 0);
    return pattern;
}
