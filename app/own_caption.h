#pragma once

#include <QWidget>

// The caption bar the game draws where the desktop's would offer more than a
// close box: the window's title and a close box, and a drag that moves the
// window. A double-click is two presses, never a maximise: the window has one
// size.
class OwnCaption : public QWidget {
    Q_OBJECT

public:
    explicit OwnCaption(QWidget* window);

    QRect close_box() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool close_pressed_ = false;
};
