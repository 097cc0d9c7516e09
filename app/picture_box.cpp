#include "app/picture_box.h"

#include <QPaintEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget* parent, const QRect& geometry) : QWidget(parent)
{
    setGeometry(geometry);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setPicture(QImage picture)
{
    picture_ = std::move(picture); // the previous picture is released here
    update();
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    // A sharp picture on a screen of fewer device pixels is made smaller
    // smoothly; a plain one is enlarged as it always was.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, picture_.devicePixelRatio() > devicePixelRatio());
    painter.drawImage(0, 0, picture_);
}
