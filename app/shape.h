#pragma once

#include <QColor>
#include <QWidget>

#include <optional>

// A rectangle drawn the way the window's design has it: an optional solid
// fill and an optional 1-pixel black outline, both inside its own bounds.
class Shape : public QWidget {
    Q_OBJECT

public:
    struct Look {
        std::optional<QColor> fill;
        bool outline = true;
    };

    Shape(QWidget* parent, const QRect& geometry, Look look);

    // The width is a single-precision value that the rules read back.
    float widthF() const { return width_; }
    void setWidthF(float pixels);
    void setFillColor(const QColor& colour);
    const Look& look() const { return look_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Look look_;
    float width_ = 0;
};
