#include "tools/robot_wear.h"

#include "tools/paint_kit.h"

#include <QPainterPath>
#include <QtMath>

namespace assets {
namespace {

const QColor ink(34, 30, 46);

} // namespace

void draw_crack(QPainter& painter, std::initializer_list<QPointF> points)
{
    QPainterPath path(*points.begin());
    for (auto point = points.begin() + 1; point != points.end(); ++point)
        path.lineTo(*point);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 110), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path.translated(1, 1));
    painter.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
    painter.restore();
}

void draw_dent(QPainter& painter, QPointF centre, qreal width, const QColor& metal)
{
    painter.save();
    painter.setPen(QPen(metal.darker(170), 1.2));
    painter.setBrush(metal.darker(135));
    painter.drawEllipse(centre, width / 2, width / 5);
    painter.setPen(QPen(metal.lighter(140), 1.2));
    painter.drawArc(QRectF(centre.x() - width / 2, centre.y() - width / 5, width, 2 * width / 5), 200 * 16,
                    140 * 16);
    painter.restore();
}

void draw_plaster(QPainter& painter, QPointF centre, qreal turn_degrees)
{
    painter.save();
    painter.translate(centre);
    painter.setPen(QPen(QColor(150, 110, 70), 1));
    for (const qreal angle : {turn_degrees + 45, turn_degrees - 45}) {
        painter.save();
        painter.rotate(angle);
        painter.setBrush(QColor(240, 200, 150));
        painter.drawRoundedRect(QRectF(-14, -4.5, 28, 9), 4, 4);
        painter.setBrush(QColor(250, 235, 215));
        painter.drawRect(QRectF(-4, -4, 8, 8));
        painter.restore();
    }
    painter.restore();
}

void draw_spark(QPainter& painter, QPointF centre, qreal size)
{
    painter.save();
    painter.setPen(QPen(QColor(240, 120, 20), 1));
    painter.setBrush(QColor(255, 230, 60));
    painter.drawPath(star_path(centre, size, size / 3.5, 4, 20));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, size / 5, size / 5);
    painter.restore();
}

void draw_sweat_drop(QPainter& painter, QPointF tip)
{
    QPainterPath drop(tip);
    drop.cubicTo(tip + QPointF(-7, 9), tip + QPointF(-5, 15), tip + QPointF(0, 15));
    drop.cubicTo(tip + QPointF(5, 15), tip + QPointF(7, 9), tip);
    painter.save();
    painter.setPen(QPen(QColor(40, 90, 160), 1.4));
    painter.setBrush(QColor(150, 210, 255));
    painter.drawPath(drop);
    painter.restore();
}

void draw_soot(QPainter& painter, QPointF centre, qreal width)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 25, 25, 120));
    painter.drawEllipse(centre, width / 2, width / 3);
    painter.drawEllipse(centre + QPointF(width / 4, width / 6), width / 4, width / 5);
    painter.restore();
}

void draw_bolt(QPainter& painter, QPointF centre, qreal size)
{
    QPainterPath hexagon;
    for (int i = 0; i < 6; ++i) {
        const qreal angle = qDegreesToRadians(60.0 * i);
        const QPointF corner = centre + size * QPointF(qCos(angle), qSin(angle));
        if (i == 0)
            hexagon.moveTo(corner);
        else
            hexagon.lineTo(corner);
    }
    hexagon.closeSubpath();
    painter.save();
    painter.setPen(QPen(ink, 1.2));
    painter.setBrush(QColor(180, 180, 190));
    painter.drawPath(hexagon);
    painter.setBrush(QColor(90, 90, 100));
    painter.drawEllipse(centre, size / 2.5, size / 2.5);
    painter.restore();
}

void draw_smoke(QPainter& painter, QPointF source, int puffs, qreal darkness)
{
    painter.save();
    const QColor light = mix(QColor(235, 235, 235), QColor(70, 65, 70), darkness);
    for (int i = puffs - 1; i >= 0; --i) {
        const QPointF centre = source + QPointF(7 * i, -6 * i + 3 * qSin(i * 1.9));
        const qreal radius = 6 + 1.5 * i;
        QColor shade = mix(light, QColor(255, 255, 255), 0.06 * i);
        shade.setAlpha(215 - 9 * i);
        painter.setPen(QPen(shade.darker(125), 1));
        painter.setBrush(shade);
        painter.drawEllipse(centre, radius, radius * 0.85);
    }
    painter.restore();
}

} // namespace assets
