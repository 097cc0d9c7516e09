#include "tools/title_picture.h"

#include "tools/paint_kit.h"
#include "tools/robot.h"

#include <QLinearGradient>

namespace assets {
namespace {

const QColor navy(25, 30, 80);

void logo(QPainter& painter)
{
    QLinearGradient gold(0, 22, 0, 78);
    gold.setColorAt(0, QColor(255, 250, 150));
    gold.setColorAt(0.5, QColor(255, 200, 40));
    gold.setColorAt(1, QColor(245, 110, 30));
    draw_caption(painter, QStringLiteral("Zumbrel"), 54, QPointF(132, 48), gold, {navy, 7});
}

void space_key(QPainter& painter)
{
    const QRectF cap(72, 118, 120, 28);
    painter.setPen(QPen(navy, 2.4));
    painter.setBrush(QColor(150, 155, 175));
    painter.drawRoundedRect(cap.translated(0, 4), 7, 7);
    QLinearGradient face(cap.topLeft(), cap.bottomLeft());
    face.setColorAt(0, QColor(255, 255, 255));
    face.setColorAt(1, QColor(215, 220, 235));
    painter.setBrush(face);
    painter.drawRoundedRect(cap, 7, 7);
    fill_outlined(painter, text_path(QStringLiteral("SPACE"), 15, cap.center()), navy, {navy, 0.5});

    painter.setPen(QPen(QColor(255, 240, 120), 3, Qt::SolidLine, Qt::RoundCap));
    for (const qreal side : {-1.0, 1.0}) {
        const qreal edge = side < 0 ? cap.left() - 6 : cap.right() + 6;
        for (int i = -1; i <= 1; ++i)
            painter.drawLine(QPointF(edge, cap.center().y() + 9 * i),
                             QPointF(edge + side * (14 - 3 * qAbs(i)), cap.center().y() + 12 * i));
    }
}

} // namespace

QImage draw_title_picture(int scale)
{
    Canvas canvas(scale);
    QPainter& painter = canvas.painter();
    draw_rays(painter, QPointF(132, 60), 24, QColor(40, 110, 210), QColor(70, 150, 235));

    painter.save();
    painter.translate(234, 160);
    painter.rotate(8);
    painter.scale(0.36, 0.36);
    draw_robot(painter, {});
    painter.restore();

    logo(painter);
    draw_caption(painter, QStringLiteral("スタートを押して"), 17, QPointF(132, 98), Qt::white, {navy, 4});
    space_key(painter);
    QLinearGradient hot(0, 166, 0, 188);
    hot.setColorAt(0, QColor(255, 235, 90));
    hot.setColorAt(1, QColor(255, 120, 40));
    draw_caption(painter, QStringLiteral("スペースキーを連打！"), 21, QPointF(132, 178), hot, {QColor(140, 20, 30), 5});
    return canvas.finish();
}

} // namespace assets
