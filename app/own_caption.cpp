#include "app/own_caption.h"

#include "app/window_frame.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace {

// GNOME's light title bar, so the game does not stand out among its windows.
const QColor bar_colour(235, 235, 235);
const QColor edge_colour(205, 205, 205);
const QColor pressed_colour(210, 210, 210);
const QColor ink_colour(46, 52, 54);
constexpr int box_size = 22;

} // namespace

OwnCaption::OwnCaption(QWidget* window) : QWidget(window)
{
    setObjectName(QStringLiteral("own_caption"));
    setGeometry(0, 0, window->width(), own_caption_height);
}

QRect OwnCaption::close_box() const
{
    const int margin = (height() - box_size) / 2;
    return {width() - margin - box_size, margin, box_size, box_size};
}

void OwnCaption::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), bar_colour);
    painter.fillRect(0, height() - 1, width(), 1, edge_colour);

    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(13);
    painter.setFont(font);
    painter.setPen(ink_colour);
    painter.drawText(rect(), Qt::AlignCenter, window()->windowTitle());

    const QRect box = close_box();
    painter.setRenderHint(QPainter::Antialiasing);
    if (close_pressed_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(pressed_colour);
        painter.drawEllipse(box);
    }
    painter.setPen(QPen(ink_colour, 2));
    const QRect cross = box.adjusted(7, 7, -7, -7);
    painter.drawLine(cross.topLeft(), cross.bottomRight() + QPoint(1, 1));
    painter.drawLine(cross.topRight() + QPoint(1, 0), cross.bottomLeft() + QPoint(0, 1));
}

void OwnCaption::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (close_box().contains(event->position().toPoint())) {
        close_pressed_ = true;
        update();
    } else if (QWindow* const handle = window()->windowHandle()) {
        handle->startSystemMove();
    }
}

void OwnCaption::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !close_pressed_)
        return;
    close_pressed_ = false;
    update();
    // As a close box does: only if the button is let go over it.
    if (close_box().contains(event->position().toPoint()))
        window()->close();
}
