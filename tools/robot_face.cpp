#include "tools/robot_face.h"

#include <QPainterPath>
#include <QtMath>

namespace assets {
namespace {

const QColor ink(34, 30, 46);
constexpr qreal eye_y = -119;
constexpr qreal eye_x = 16;
constexpr qreal mouth_y = -101;

QPen ink_pen(qreal width)
{
    return QPen(ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void eye_socket(QPainter& painter, QPointF centre)
{
    painter.setPen(ink_pen(2));
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, 9.5, 9.5);
}

void pupil(QPainter& painter, QPointF centre, qreal radius)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre + QPointF(-radius / 3, -radius / 3), radius / 3, radius / 3);
}

void spiral(QPainter& painter, QPointF centre)
{
    QPainterPath path(centre);
    for (int step = 1; step <= 24; ++step) {
        const qreal angle = step * 0.55;
        const qreal radius = 7.5 * step / 24.0;
        path.lineTo(centre + radius * QPointF(qCos(angle), qSin(angle)));
    }
    painter.setPen(ink_pen(1.6));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

void cross(QPainter& painter, QPointF centre)
{
    painter.setPen(ink_pen(3));
    painter.drawLine(centre + QPointF(-5, -5), centre + QPointF(5, 5));
    painter.drawLine(centre + QPointF(-5, 5), centre + QPointF(5, -5));
}

void squeezed(QPainter& painter, QPointF centre, qreal side)
{
    painter.setPen(ink_pen(3.2));
    painter.setBrush(Qt::NoBrush);
    QPainterPath chevron(centre + QPointF(-6 * side, -6));
    chevron.lineTo(centre + QPointF(6 * side, 0));
    chevron.lineTo(centre + QPointF(-6 * side, 6));
    painter.drawPath(chevron);
}

void wavy_mouth(QPainter& painter)
{
    QPainterPath path(QPointF(-14, mouth_y));
    for (int i = 1; i <= 7; ++i)
        path.lineTo(-14 + 4 * i, mouth_y + (i % 2 == 0 ? 0 : -4));
    painter.setPen(ink_pen(2.4));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

void grin(QPainter& painter)
{
    QPainterPath path(QPointF(-14, mouth_y - 4));
    path.quadTo(0, mouth_y + 12, 14, mouth_y - 4);
    path.closeSubpath();
    painter.setPen(ink_pen(2));
    painter.setBrush(QColor(200, 60, 70));
    painter.drawPath(path);
}

void speaker_mouth(QPainter& painter)
{
    painter.setPen(ink_pen(2));
    painter.setBrush(QColor(60, 60, 72));
    painter.drawRoundedRect(QRectF(-14, mouth_y - 5, 28, 9), 3, 3);
    painter.setPen(ink_pen(1));
    for (int x = -7; x <= 7; x += 7)
        painter.drawLine(QPointF(x, mouth_y - 3), QPointF(x, mouth_y + 2));
}

void clenched_teeth(QPainter& painter)
{
    painter.setPen(ink_pen(2));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(-15, mouth_y - 6, 30, 11), 3, 3);
    QPainterPath zigzag(QPointF(-15, mouth_y));
    for (int i = 1; i <= 6; ++i)
        zigzag.lineTo(-15 + 5 * i, mouth_y + (i % 2 == 0 ? 0 : -3));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(zigzag);
}

void gasp(QPainter& painter)
{
    painter.setPen(ink_pen(2));
    painter.setBrush(QColor(90, 30, 40));
    painter.drawEllipse(QPointF(0, mouth_y), 6, 5);
}

void worried_brows(QPainter& painter)
{
    painter.setPen(ink_pen(2.6));
    painter.drawLine(QPointF(-26, eye_y - 11), QPointF(-9, eye_y - 16));
    painter.drawLine(QPointF(26, eye_y - 11), QPointF(9, eye_y - 16));
}

} // namespace

Face face_for(const RobotLook& look)
{
    if (look.pose == RobotPose::struck)
        return Face::wincing;
    if (look.wear <= 1)
        return Face::happy;
    if (look.wear <= 3)
        return Face::calm;
    if (look.wear <= 6)
        return Face::worried;
    if (look.wear <= 8)
        return Face::dizzy;
    return Face::knocked_out;
}

void draw_face(QPainter& painter, Face face, bool bruised)
{
    painter.save();
    const QPointF left(-eye_x, eye_y);
    const QPointF right(eye_x, eye_y);
    if (bruised) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(110, 60, 140));
        painter.drawEllipse(left, 14, 13);
    }
    switch (face) {
    case Face::happy:
    case Face::calm:
    case Face::worried: {
        const qreal size = face == Face::worried ? 3.2 : 4.5;
        const QPointF look_at = face == Face::worried ? QPointF(0, 2) : QPointF(0, -1);
        eye_socket(painter, left);
        eye_socket(painter, right);
        pupil(painter, left + look_at, size);
        pupil(painter, right + look_at, size);
        break;
    }
    case Face::dizzy:
        eye_socket(painter, left);
        eye_socket(painter, right);
        spiral(painter, left);
        spiral(painter, right);
        break;
    case Face::knocked_out:
        eye_socket(painter, left);
        eye_socket(painter, right);
        cross(painter, left);
        cross(painter, right);
        break;
    case Face::wincing:
        squeezed(painter, left, 1);
        squeezed(painter, right, -1);
        break;
    }

    switch (face) {
    case Face::happy:
        grin(painter);
        break;
    case Face::calm:
        speaker_mouth(painter);
        break;
    case Face::worried:
        worried_brows(painter);
        wavy_mouth(painter);
        break;
    case Face::dizzy:
        wavy_mouth(painter);
        break;
    case Face::knocked_out:
        gasp(painter);
        break;
    case Face::wincing:
        clenched_teeth(painter);
        break;
    }
    painter.restore();
}

} // namespace assets
