#pragma once

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QRectF>

namespace assets {

// Out of three stars, centred on a point.
void draw_rating(QPainter& painter, QPointF centre, int earned);
void draw_sparkle(QPainter& painter, QPointF centre, qreal size, const QColor& colour = QColor(255, 255, 230));
void draw_firework(QPainter& painter, QPointF centre, qreal radius, const QColor& colour);
void draw_confetti(QPainter& painter, const QRectF& area, int pieces);
// A gold cup whose foot stands on base.
void draw_trophy(QPainter& painter, QPointF base, qreal height);

} // namespace assets
