#pragma once

#include <QColor>
#include <QPainter>
#include <QPointF>

#include <initializer_list>

namespace assets {

// Marks of punishment, each drawn in whatever coordinates the painter holds.
void draw_crack(QPainter& painter, std::initializer_list<QPointF> points);
void draw_dent(QPainter& painter, QPointF centre, qreal width, const QColor& metal);
void draw_plaster(QPainter& painter, QPointF centre, qreal turn_degrees);
void draw_spark(QPainter& painter, QPointF centre, qreal size);
void draw_sweat_drop(QPainter& painter, QPointF tip);
void draw_soot(QPainter& painter, QPointF centre, qreal width);
void draw_bolt(QPainter& painter, QPointF centre, qreal size);
// Rising puffs, more and darker as wear grows.
void draw_smoke(QPainter& painter, QPointF source, int puffs, qreal darkness);

} // namespace assets
