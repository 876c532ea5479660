#include "app/ToolIcons.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <map>

namespace {
const QColor kInk(52, 73, 94);
const QColor kGreen(39, 150, 90);
const QColor kRed(200, 60, 50);
const QColor kBlue(41, 110, 190);
const QColor kPaper(250, 250, 246);

void drawSheet(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kPaper);
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setPen(QPen(QColor(150, 160, 170), 1.0));
    for (qreal y = r.top() + 5; y < r.bottom() - 2; y += 3.5)
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
}

void drawCheck(QPainter& p, const QPointF& at, qreal size, const QColor& color)
{
    QPainterPath path;
    path.moveTo(at + QPointF(0, size * 0.5));
    path.lineTo(at + QPointF(size * 0.38, size * 0.9));
    path.lineTo(at + QPointF(size, 0));
    p.setPen(QPen(color, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void drawBadge(QPainter& p, const QPointF& centre, const QColor& color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(centre, 5.5, 5.5);
}

QPixmap draw(ToolIcons::Kind kind, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 24.0, size / 24.0);
    switch (kind) {
    case ToolIcons::App: {
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(1.5, 1.5, 21, 21), 4, 4);
        p.setBrush(kPaper);
        p.drawRoundedRect(QRectF(5, 4, 14, 16), 1.5, 1.5);
        drawCheck(p, QPointF(7.5, 7.5), 9, kGreen);
        break;
    }
    case ToolIcons::Add:
        drawSheet(p, QRectF(3, 2, 14, 18));
        drawBadge(p, QPointF(17, 17), kGreen);
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(17, 14), QPointF(17, 20));
        p.drawLine(QPointF(14, 17), QPointF(20, 17));
        break;
    case ToolIcons::Edit: {
        drawSheet(p, QRectF(3, 2, 14, 18));
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(240, 180, 60));
        QPolygonF pencil;
        pencil << QPointF(20.5, 8) << QPointF(23, 10.5) << QPointF(13, 20.5) << QPointF(10, 21.5)
               << QPointF(11, 18);
        p.drawPolygon(pencil);
        break;
    }
    case ToolIcons::Delete:
        drawSheet(p, QRectF(3, 2, 14, 18));
        drawBadge(p, QPointF(17, 17), kRed);
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14.8, 14.8), QPointF(19.2, 19.2));
        p.drawLine(QPointF(19.2, 14.8), QPointF(14.8, 19.2));
        break;
    case ToolIcons::ToHistory:
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(205, 170, 120));
        p.drawRect(QRectF(2.5, 11, 19, 10.5));
        p.setBrush(QColor(225, 195, 150));
        p.drawRect(QRectF(1.5, 8, 21, 3.5));
        p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9, 15), QPointF(15, 15));
        p.setPen(QPen(kBlue, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(12, 1.5), QPointF(12, 7));
        p.drawLine(QPointF(9.5, 4.5), QPointF(12, 7));
        p.drawLine(QPointF(14.5, 4.5), QPointF(12, 7));
        break;
    case ToolIcons::CheckSelected:
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(210, 228, 250));
        p.drawRoundedRect(QRectF(2.5, 2.5, 19, 19), 2, 2);
        drawCheck(p, QPointF(6, 6.5), 12, kGreen);
        break;
    case ToolIcons::UncheckSelected:
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(kPaper);
        p.drawRoundedRect(QRectF(2.5, 2.5, 19, 19), 2, 2);
        // The check being taken back: faint, with a turning-back arrow; not a red cross, which reads as
        // "delete".
        drawCheck(p, QPointF(6, 6.5), 12, QColor(190, 190, 190));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(30, 100, 200), 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(10, 10, 10, 10), 90 * 16, 250 * 16);
        p.drawLine(QPointF(15, 10), QPointF(18, 8));
        p.drawLine(QPointF(15, 10), QPointF(17.5, 12.5));
        break;
    case ToolIcons::SortChecked:
        p.setPen(QPen(kInk, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(6, 3), QPointF(6, 20));
        p.drawLine(QPointF(2.5, 16.5), QPointF(6, 20));
        p.drawLine(QPointF(9.5, 16.5), QPointF(6, 20));
        p.setPen(QPen(kInk, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 5), QPointF(21, 5));
        p.drawLine(QPointF(12, 10), QPointF(19, 10));
        drawCheck(p, QPointF(12.5, 14), 8, kGreen);
        break;
    case ToolIcons::Open:
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(240, 200, 90));
        p.drawRoundedRect(QRectF(2, 5, 20, 15), 1.5, 1.5);
        p.setBrush(QColor(250, 220, 130));
        p.drawRoundedRect(QRectF(2, 9, 20, 11), 1.5, 1.5);
        break;
    case ToolIcons::Help:
        drawBadge(p, QPointF(12, 12), kBlue);
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(12, 12), 10, 10);
        p.setPen(Qt::white);
        {
            QFont f = p.font();
            f.setBold(true);
            f.setPixelSize(15);
            p.setFont(f);
        }
        p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, QStringLiteral("?"));
        break;
    case ToolIcons::Sync:
        // Two arcs chasing each other round, each with its arrow head.
        p.setBrush(Qt::NoBrush);
        for (int half = 0; half < 2; ++half) {
            const QColor color = half == 0 ? kBlue : kGreen;
            p.setPen(QPen(color, 2.4, Qt::SolidLine, Qt::RoundCap));
            p.drawArc(QRectF(4, 4, 16, 16), (half * 180 + 20) * 16, 140 * 16);
            const qreal s = half == 0 ? 1 : -1;
            QPainterPath head;
            head.moveTo(12 - s * 8.5, 12 - s * 0.5);
            head.lineTo(12 - s * 11.5, 12 - s * 4.5);
            head.lineTo(12 - s * 4.5, 12 - s * 4.5);
            head.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(color);
            p.drawPath(head);
            p.setBrush(Qt::NoBrush);
        }
        break;
    }
    return pm;
}
} // namespace

namespace {
// Draws an icon when it is first shown, at the size it is shown in, and keeps what it drew: a start draws
// only the icons and sizes its first frame shows.
class DrawnIconEngine : public QIconEngine
{
public:
    explicit DrawnIconEngine(ToolIcons::Kind kind) : m_kind(kind) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        const int side = std::max(1, std::min(size.width(), size.height()));
        QPixmap& drawn = m_drawn[side];
        if (drawn.isNull())
            drawn = draw(m_kind, side);
        if (mode != QIcon::Disabled)
            return drawn;
        // Greyed out as the style greys out any pixmap.
        QStyleOption option;
        return QApplication::style()->generatedIconPixmap(QIcon::Disabled, drawn, &option);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return QSize(side, side);
    }

    QIconEngine* clone() const override { return new DrawnIconEngine(*this); }

private:
    ToolIcons::Kind m_kind;
    std::map<int, QPixmap> m_drawn;
};
} // namespace

QIcon ToolIcons::icon(Kind kind)
{
    return QIcon(new DrawnIconEngine(kind));
}
