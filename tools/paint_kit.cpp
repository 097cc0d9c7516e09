#include "tools/paint_kit.h"

#include <QFont>
#include <QFontDatabase>
#include <QtMath>

namespace assets {

Canvas::Canvas(int scale)
    : image_(picture_width * scale, picture_height * scale, QImage::Format_RGB32)
{
    image_.fill(Qt::white);
    painter_.begin(&image_);
    painter_.scale(scale, scale);
    painter_.setRenderHint(QPainter::Antialiasing);
}

QImage Canvas::finish()
{
    painter_.end();
    return image_;
}

QString japanese_family()
{
    // No stand-in: another face would give other pictures on another machine.
    const QString family = QStringLiteral("IPAPGothic");
    return QFontDatabase::hasFamily(family) ? family : QString();
}

QPainterPath text_path(const QString& text, int pixel_size, QPointF centre)
{
    QFont font(japanese_family());
    font.setPixelSize(pixel_size);
    // Other faces would make the output depend on what else is installed.
    font.setStyleStrategy(QFont::NoFontMerging);
    QPainterPath path;
    path.addText(0, 0, font, text);
    return path.translated(centre - path.boundingRect().center());
}

void fill_outlined(QPainter& painter, const QPainterPath& path, const QBrush& fill, Outline outline)
{
    painter.save();
    painter.setPen(QPen(outline.colour, outline.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawPath(path);
    painter.restore();
}

void draw_caption(QPainter& painter, const QString& text, int pixel_size, QPointF centre,
                  const QBrush& fill, Outline outline)
{
    const QPainterPath path = text_path(text, pixel_size, centre);
    const qreal drop = qMax<qreal>(1.5, pixel_size / 14.0);
    painter.save();
    painter.setPen(QPen(QColor(0, 0, 0, 90), outline.width + 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(0, 0, 0, 90));
    painter.drawPath(path.translated(drop, drop));
    painter.restore();
    fill_outlined(painter, path, fill, outline);
}

QPainterPath star_path(QPointF centre, qreal outer, qreal inner, int points, qreal turn_degrees)
{
    QPainterPath path;
    for (int i = 0; i < 2 * points; ++i) {
        const qreal radius = i % 2 == 0 ? outer : inner;
        const qreal angle = qDegreesToRadians(turn_degrees - 90 + 180.0 * i / points);
        const QPointF corner = centre + QPointF(radius * qCos(angle), radius * qSin(angle));
        if (i == 0)
            path.moveTo(corner);
        else
            path.lineTo(corner);
    }
    path.closeSubpath();
    return path;
}

void draw_rays(QPainter& painter, QPointF centre, int wedges, const QColor& base, const QColor& ray)
{
    painter.save();
    painter.fillRect(picture_area, base);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ray);
    // Past every corner from any centre in the picture, and no farther: wedges
    // reaching twice as far came out a shade apart at twice the size between
    // Qt 6.4 and 6.8.
    const qreal reach = picture_width + picture_height;
    for (int i = 0; i < wedges; i += 2) {
        const qreal from = qDegreesToRadians(360.0 * i / wedges);
        const qreal to = qDegreesToRadians(360.0 * (i + 1) / wedges);
        QPainterPath wedge(centre);
        wedge.lineTo(centre + reach * QPointF(qCos(from), qSin(from)));
        wedge.lineTo(centre + reach * QPointF(qCos(to), qSin(to)));
        wedge.closeSubpath();
        painter.drawPath(wedge);
    }
    painter.restore();
}

QColor mix(const QColor& from, const QColor& to, qreal amount)
{
    const auto blend = [amount](int a, int b) { return qRound(a + (b - a) * amount); };
    return QColor(blend(from.red(), to.red()), blend(from.green(), to.green()),
                  blend(from.blue(), to.blue()), blend(from.alpha(), to.alpha()));
}

} // namespace assets
