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
    painter.drawImage(0, 0, picture_);
}
