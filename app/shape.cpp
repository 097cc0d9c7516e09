#include "app/shape.h"

#include <QPainter>

#include <cmath>
#include <utility>

Shape::Shape(QWidget* parent, const QRect& geometry, Look look)
    : QWidget(parent)
    , look_(std::move(look))
    , width_(static_cast<float>(geometry.width()))
{
    setGeometry(geometry);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::setWidthF(float pixels)
{
    width_ = pixels;
    resize(static_cast<int>(std::lround(pixels)), height());
}

void Shape::setFillColor(const QColor& colour)
{
    look_.fill = colour;
    update();
}

void Shape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = width();
    const int h = height();
    if (look_.fill)
        painter.fillRect(0, 0, w, h, *look_.fill);
    if (look_.outline) {
        // Four filled strips rather than drawRect: exact pixels, no pen rules.
        painter.fillRect(0, 0, w, 1, Qt::black);
        painter.fillRect(0, h - 1, w, 1, Qt::black);
        painter.fillRect(0, 0, 1, h, Qt::black);
        painter.fillRect(w - 1, 0, 1, h, Qt::black);
    }
}
