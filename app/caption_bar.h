#pragma once

#include <QWidget>

// The window's title bar, drawn by the game on every desktop so that it shows
// the title and a close box and nothing else: no desktop can be asked for
// that on Wayland. A drag moves the window; a double-click is two presses, so
// it never maximises: the window has one size.
class CaptionBar : public QWidget {
    Q_OBJECT

public:
    explicit CaptionBar(QWidget* window);

    // In the bar's own coordinates.
    QRect close_box() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void set_hovered(bool hovered);

    bool move_pending_ = false;
    bool close_pressed_ = false;
    bool close_hovered_ = false;
};
