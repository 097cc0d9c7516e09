#include "tools/result_picture.h"

#include "tools/celebration.h"
#include "tools/paint_kit.h"
#include "tools/robot.h"

#include <QLinearGradient>
#include <QPainterPath>

namespace assets {
namespace {

const QColor ink(34, 30, 46);

void floor_strip(QPainter& painter, const QColor& colour)
{
    painter.fillRect(QRectF(0, 184, picture_width, picture_height - 184), colour);
    painter.setPen(QPen(colour.darker(140), 2));
    painter.drawLine(QPointF(0, 184), QPointF(picture_width, 184));
}

void robot_at(QPainter& painter, QPointF feet, qreal scale, qreal turn, RobotLook look)
{
    painter.save();
    painter.translate(feet);
    painter.rotate(turn);
    painter.scale(scale, scale);
    draw_robot(painter, look);
    painter.restore();
}

void speech_bubble(QPainter& painter, const QRectF& box, QPointF tail, const QString& text)
{
    QPainterPath bubble;
    bubble.addRoundedRect(box, 12, 12);
    // Out of the straight side: where the tail crossed the rounded corner,
    // Qt's union put an edge pixel a shade apart on arm64 and on x86-64.
    QPainterPath pointer(QPointF(box.right() - 4, box.center().y() - 5));
    pointer.lineTo(tail);
    pointer.lineTo(box.right() - 4, box.center().y() + 4);
    pointer.closeSubpath();
    painter.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::white);
    painter.drawPath(bubble.united(pointer));
    fill_outlined(painter, text_path(text, 15, box.center()), ink, {ink, 0.4});
}

QImage keep_going(int scale)
{
    Canvas canvas(scale);
    QPainter& painter = canvas.painter();
    painter.fillRect(picture_area, QColor(196, 206, 222));
    floor_strip(painter, QColor(150, 156, 170));
    robot_at(painter, {196, 188}, 0.8, 0, {});
    speech_bubble(painter, QRectF(14, 98, 112, 34), {150, 120}, QStringLiteral("へっちゃら〜"));
    draw_caption(painter, QStringLiteral("もっと連打！"), 28, {120, 36}, QColor(90, 160, 240), {ink, 4});
    draw_rating(painter, {66, 160}, 1);
    return canvas.finish();
}

QImage good(int scale)
{
    Canvas canvas(scale);
    QPainter& painter = canvas.painter();
    draw_rays(painter, {200, 120}, 20, QColor(255, 236, 170), QColor(255, 222, 140));
    floor_strip(painter, QColor(200, 160, 110));
    robot_at(painter, {196, 188}, 0.8, 4, {5, RobotPose::rest});
    for (int i = 0; i < 3; ++i)
        draw_sparkle(painter, QPointF(40 + 44 * i, 150 + 8 * (i % 2)), 8, Qt::white);
    QLinearGradient warm(0, 20, 0, 54);
    warm.setColorAt(0, QColor(255, 200, 60));
    warm.setColorAt(1, QColor(250, 120, 30));
    draw_caption(painter, QStringLiteral("なかなか！"), 34, {96, 44}, warm, {QColor(120, 40, 10), 5});
    draw_rating(painter, {80, 116}, 2);
    return canvas.finish();
}

QImage great(int scale)
{
    Canvas canvas(scale);
    QPainter& painter = canvas.painter();
    draw_rays(painter, {132, 80}, 28, QColor(255, 120, 40), QColor(255, 170, 60));
    floor_strip(painter, QColor(150, 80, 60));
    robot_at(painter, {200, 188}, 0.8, 0, {max_wear, RobotPose::rest});
    for (const QPointF spot : {QPointF(20, 22), QPointF(160, 18), QPointF(24, 160), QPointF(150, 150)})
        draw_sparkle(painter, spot, 9);
    QLinearGradient gold(0, 38, 0, 86);
    gold.setColorAt(0, QColor(255, 255, 170));
    gold.setColorAt(0.5, QColor(255, 215, 50));
    gold.setColorAt(1, QColor(240, 140, 20));
    draw_caption(painter, QStringLiteral("すごい！"), 46, {88, 62}, gold, {QColor(150, 20, 20), 6});
    draw_rating(painter, {88, 124}, 3);
    return canvas.finish();
}

void banner(QPainter& painter, const QRectF& box, const QString& text)
{
    painter.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(160, 20, 40));
    for (const qreal side : {-1.0, 1.0}) {
        const qreal edge = side < 0 ? box.left() : box.right();
        QPainterPath tail(QPointF(edge, box.top() + 6));
        tail.lineTo(edge + side * 22, box.top() + 6);
        tail.lineTo(edge + side * 14, box.center().y() + 3);
        tail.lineTo(edge + side * 22, box.bottom() + 6);
        tail.lineTo(edge, box.bottom() + 6);
        painter.drawPath(tail);
    }
    painter.setBrush(QColor(220, 40, 60));
    painter.drawRect(box);
    fill_outlined(painter, text_path(text, 22, box.center()), QColor(255, 235, 120), {QColor(90, 10, 20), 3});
}

QImage perfect(int scale)
{
    Canvas canvas(scale);
    QPainter& painter = canvas.painter();
    QLinearGradient night(0, 0, 0, picture_height);
    night.setColorAt(0, QColor(15, 15, 55));
    night.setColorAt(1, QColor(70, 30, 110));
    painter.fillRect(picture_area, night);
    draw_firework(painter, {36, 64}, 30, QColor(255, 90, 110));
    draw_firework(painter, {228, 62}, 32, QColor(90, 200, 255));
    draw_firework(painter, {206, 140}, 22, QColor(255, 220, 80));
    draw_firework(painter, {56, 138}, 22, QColor(140, 255, 140));
    draw_confetti(painter, picture_area, 70);
    draw_trophy(painter, {132, 160}, 96);

    QLinearGradient rainbow(40, 0, 225, 0);
    rainbow.setColorAt(0, QColor(255, 120, 120));
    rainbow.setColorAt(0.35, QColor(255, 230, 90));
    rainbow.setColorAt(0.65, QColor(120, 240, 150));
    rainbow.setColorAt(1, QColor(120, 190, 255));
    draw_caption(painter, QStringLiteral("パーフェクト！"), 30, {132, 26}, rainbow, {Qt::white, 5});
    banner(painter, QRectF(72, 164, 121, 28), QStringLiteral("200連打"));
    return canvas.finish();
}

} // namespace

QImage draw_result_picture(Verdict verdict, int scale)
{
    switch (verdict) {
    case Verdict::keep_going:
        return keep_going(scale);
    case Verdict::good:
        return good(scale);
    case Verdict::great:
        return great(scale);
    case Verdict::perfect:
        return perfect(scale);
    }
    return {};
}

} // namespace assets
