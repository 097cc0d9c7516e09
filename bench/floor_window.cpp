// The floor the X benches compare the game with: the least a Qt Widgets
// program of the game's size does. One Japanese label, and a strip (where the
// game's life bar is) that every key press repaints.
#include <QApplication>
#include <QColor>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QRect>
#include <QWidget>

#include "app/layout.h"

namespace {

// Where the game's window has its life bar.
constexpr QRect strip = layout::Shape3.rect.translated(layout::client_area.topLeft());

class FloorWindow : public QWidget {
    Q_OBJECT

public:
    FloorWindow()
    {
        setWindowTitle(QStringLiteral("Zumbrel floor"));
        setFixedSize(layout::window_size);
        label_.move(layout::連打回.rect.topLeft() + layout::client_area.topLeft());
    }

protected:
    void keyPressEvent(QKeyEvent*) override
    {
        lit_ = !lit_;
        update(strip);
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(strip, lit_ ? QColor(0, 255, 0) : QColor(255, 0, 0));
    }

private:
    QLabel label_{QStringLiteral("連打回数"), this};
    bool lit_ = false;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    FloorWindow window;
    window.show();
    return app.exec();
}

#include "floor_window.moc"
