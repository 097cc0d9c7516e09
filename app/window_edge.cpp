#include "app/window_edge.h"

#include "app/layout.h"

#include <QPainter>
#include <QtMath>

WindowEdge::WindowEdge(QWidget* window) : QWidget(window)
{
    setObjectName(QStringLiteral("window_edge"));
    setGeometry(QRect(QPoint(), layout::window_size));
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void WindowEdge::paintEvent(QPaintEvent*)
{
    const qreal ratio = devicePixelRatio();
    const QRect device(QPoint(), (QSizeF(size()) * ratio).toSize());
    const int edge = qCeil(layout::edge * ratio);
    const QColor colour = palette().color(QPalette::Dark);
    QPainter painter(this);
    painter.scale(1 / ratio, 1 / ratio);
    painter.fillRect(device.left(), device.top(), device.width(), edge, colour);
    painter.fillRect(device.left(), device.bottom() + 1 - edge, device.width(), edge, colour);
    painter.fillRect(device.left(), device.top(), edge, device.height(), colour);
    painter.fillRect(device.right() + 1 - edge, device.top(), edge, device.height(), colour);
}
