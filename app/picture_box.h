#pragma once

#include <QImage>
#include <QWidget>

// Shows one picture at its natural size from the top-left corner, clipped to
// the box, on white; a picture drawn for more device pixels than pixels is
// shown at its size in pixels.
class PictureBox : public QWidget {
    Q_OBJECT

public:
    PictureBox(QWidget* parent, const QRect& geometry);

    void setPicture(QImage picture);
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};
