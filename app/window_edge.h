#pragma once

#include <QWidget>

// The edge round the window, which keeps it apart from a background of its
// own colour as a desktop's frame would. It lies over the whole window, above
// the caption and the client area, and is drawn in device pixels: on each side
// every one its logical pixel touches, the same number at any scale. A pen a
// pixel wide falls between device pixels at a scale of 2, and the caption,
// placed in logical pixels, would cover part of the edge at 1.5.
class WindowEdge : public QWidget {
    Q_OBJECT

public:
    explicit WindowEdge(QWidget* window);

protected:
    void paintEvent(QPaintEvent* event) override;
};
