#include "tools/celebration.h"

#include "tools/paint_kit.h"
#include "tools/prng.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QtMath>

#include <array>

namespace assets {
namespace {

const QColor ink(34, 30, 46);

QBrush gold(qreal left, qreal right)
{
    QLinearGradient shine(left, 0, right, 0);
    shine.setColorAt(0, QColor(205, 140, 20));
    shine.setColorAt(0.35, QColor(255, 235, 120));
    shine.setColorAt(0.6, QColor(250, 200, 50));
    shine.setColorAt(1, QColor(190, 120, 20));
    return shine;
}

} // namespace

void draw_rating(QPainter& painter, QPointF centre, int earned)
{
    painter.save();
    painter.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (int i = 0; i < 3; ++i) {
        const QPointF spot = centre + QPointF(30.0 * (i - 1), i == 1 ? -5 : 0);
        painter.setBrush(i < earned ? QBrush(QColor(255, 215, 40)) : QBrush(QColor(200, 200, 210, 160)));
        painter.drawPath(star_path(spot, 14, 6.5, 5));
    }
    painter.restore();
}

void draw_sparkle(QPainter& painter, QPointF centre, qreal size, const QColor& colour)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(star_path(centre, size, size / 5, 4));
    painter.restore();
}

void draw_firework(QPainter& painter, QPointF centre, qreal radius, const QColor& colour)
{
    painter.save();
    const int rays = 16;
    for (int i = 0; i < rays; ++i) {
        const qreal angle = qDegreesToRadians(360.0 * i / rays);
        const QPointF direction(qCos(angle), qSin(angle));
        painter.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(centre + 0.3 * radius * direction, centre + 0.85 * radius * direction);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour.lighter(140));
        painter.drawEllipse(centre + radius * direction, 2.2, 2.2);
    }
    draw_sparkle(painter, centre, radius / 4);
    painter.restore();
}

void draw_confetti(QPainter& painter, const QRectF& area, int pieces)
{
    const std::array<QColor, 5> colours{QColor(255, 90, 90), QColor(255, 210, 60), QColor(90, 200, 120),
                                        QColor(90, 160, 255), QColor(220, 120, 240)};
    Prng scatter(0xC0FFEE);
    painter.save();
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < pieces; ++i) {
        painter.save();
        // One draw per statement: the order of a call's arguments is up to the compiler.
        const qreal x = scatter.between(area.left(), area.right());
        const qreal y = scatter.between(area.top(), area.bottom());
        painter.translate(x, y);
        painter.rotate(scatter.between(0, 180));
        painter.setBrush(colours[scatter.next() % colours.size()]);
        painter.drawRect(QRectF(-3, -1.5, 6, 3));
        painter.restore();
    }
    painter.restore();
}

void draw_trophy(QPainter& painter, QPointF base, qreal height)
{
    const qreal unit = height / 100;
    painter.save();
    painter.translate(base);
    painter.scale(unit, unit);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(200, 130, 20), 7));
    painter.drawEllipse(QPointF(-38, -78), 14, 16);
    painter.drawEllipse(QPointF(38, -78), 14, 16);

    painter.setPen(QPen(ink, 2.4 / unit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(120, 70, 40));
    painter.drawRoundedRect(QRectF(-34, -18, 68, 18), 3, 3);
    painter.setBrush(gold(-14, 14));
    painter.drawRect(QRectF(-8, -38, 16, 20));
    painter.drawRoundedRect(QRectF(-22, -26, 44, 9), 3, 3);

    QPainterPath cup(QPointF(-40, -100));
    cup.lineTo(40, -100);
    cup.cubicTo(40, -62, 22, -42, 0, -40);
    cup.cubicTo(-22, -42, -40, -62, -40, -100);
    painter.setBrush(gold(-40, 40));
    painter.drawPath(cup);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 140));
    painter.drawRoundedRect(QRectF(-28, -94, 8, 34), 4, 4);
    painter.setBrush(QColor(255, 245, 200));
    painter.drawPath(star_path(QPointF(4, -76), 14, 6, 5));
    painter.restore();
}

} // namespace assets
