#pragma once

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>

namespace assets {

inline constexpr int picture_width = 265;
inline constexpr int picture_height = 201;
inline constexpr QRectF picture_area(0, 0, picture_width, picture_height);

// A white, opaque canvas `scale` times a picture's size, whose painter draws
// in the picture's own coordinates, antialiased: the same shapes give every size.
class Canvas {
public:
    explicit Canvas(int scale);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    QPainter& painter() { return painter_; }
    QImage finish();

private:
    QImage image_;
    QPainter painter_;
};

// IPAPGothic when installed, else empty: the caller must refuse to draw
// rather than ship boxes for text or another face's shapes.
QString japanese_family();

// Text as an outline path centred on a point, so it can be stroked thickly and
// filled with a gradient like a cartoon caption.
QPainterPath text_path(const QString& text, int pixel_size, QPointF centre);

struct Outline {
    QColor colour = Qt::black;
    qreal width = 3;
};

void fill_outlined(QPainter& painter, const QPainterPath& path, const QBrush& fill, Outline outline);

// Outlined caption with a soft dark shadow, the house style for all text.
void draw_caption(QPainter& painter, const QString& text, int pixel_size, QPointF centre,
                  const QBrush& fill, Outline outline);

QPainterPath star_path(QPointF centre, qreal outer, qreal inner, int points, qreal turn_degrees = 0);

// Wedges of two colours around a centre, the classic manga backdrop.
void draw_rays(QPainter& painter, QPointF centre, int wedges, const QColor& base, const QColor& ray);

QColor mix(const QColor& from, const QColor& to, qreal amount);

} // namespace assets
