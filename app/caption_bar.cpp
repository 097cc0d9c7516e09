#include "app/caption_bar.h"

#include "app/layout.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <utility>

namespace {

QColor mixed(const QColor& from, const QColor& to, double share)
{
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * share),
                            float(from.greenF() + (to.greenF() - from.greenF()) * share),
                            float(from.blueF() + (to.blueF() - from.blueF()) * share));
}

} // namespace

CaptionBar::CaptionBar(QWidget* window) : QWidget(window)
{
    setObjectName(QStringLiteral("caption_bar"));
    setGeometry(layout::caption);
    setMouseTracking(true);
}

QRect CaptionBar::close_box() const
{
    return layout::close_box.translated(-layout::caption.topLeft());
}

void CaptionBar::paintEvent(QPaintEvent*)
{
    // From the palette, so the bar follows a light or a dark scheme; shaded
    // while the window has the focus, flat and faint while another has it.
    const bool active = isActiveWindow();
    const QColor window_colour = palette().color(QPalette::Window);
    const QColor ink = palette().color(QPalette::WindowText);
    const QColor bar = active ? mixed(window_colour, ink, 0.06) : window_colour;
    const QColor text = active ? ink : mixed(ink, bar, 0.55);

    QPainter painter(this);
    painter.fillRect(rect(), bar);
    painter.fillRect(0, height() - 1, width(), 1, mixed(window_colour, ink, 0.25));

    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(13);
    painter.setFont(font);
    painter.setPen(text);
    painter.drawText(rect(), Qt::AlignCenter, window()->windowTitle());

    const QRect box = close_box();
    painter.setRenderHint(QPainter::Antialiasing);
    if (close_pressed_ || close_hovered_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(mixed(bar, ink, close_pressed_ && close_hovered_ ? 0.3 : 0.15));
        painter.drawEllipse(box);
    }
    painter.setPen(QPen(text, 2));
    const QRect cross = box.adjusted(7, 7, -7, -7);
    painter.drawLine(cross.topLeft(), cross.bottomRight() + QPoint(1, 1));
    painter.drawLine(cross.topRight() + QPoint(1, 0), cross.bottomLeft() + QPoint(0, 1));
}

// A window's children hear of its activation by these events alone.
bool CaptionBar::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate)
        update();
    return QWidget::event(event);
}

void CaptionBar::set_hovered(bool hovered)
{
    if (hovered == close_hovered_)
        return;
    close_hovered_ = hovered;
    update();
}

void CaptionBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (close_box().contains(event->position().toPoint())) {
        close_pressed_ = true;
        close_hovered_ = true;
        update();
    } else {
        move_pending_ = true;
    }
}

void CaptionBar::mouseMoveEvent(QMouseEvent* event)
{
    set_hovered(close_box().contains(event->position().toPoint()));
    // Only once the pointer moves: a move asked for on the press may reach
    // the compositor after the release, and sway then moves the window with
    // the pointer until the next click.
    if (std::exchange(move_pending_, false) && (event->buttons() & Qt::LeftButton))
        if (QWindow* const handle = window()->windowHandle())
            handle->startSystemMove();
}

void CaptionBar::leaveEvent(QEvent*)
{
    set_hovered(false);
}

void CaptionBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        move_pending_ = false;
    if (event->button() != Qt::LeftButton || !close_pressed_)
        return;
    close_pressed_ = false;
    update();
    // As a close box does: only if the button is let go over it.
    if (close_box().contains(event->position().toPoint()))
        window()->close();
}
