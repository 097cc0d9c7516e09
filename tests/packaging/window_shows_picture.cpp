// Usage: window_shows_picture <window-id> <picture>
// Waits until the window shows the picture in its picture box; exits 0 then,
// or 1 with the number of differing pixels if it never does.
#include "app/layout.h"
#include "x_capture.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QThread>

#include <cstdio>
#include <cstdlib>

namespace {

qsizetype differing_pixels(const QImage& seen, const QImage& expected)
{
    if (seen.size() != expected.size())
        return expected.width() * expected.height();
    qsizetype count = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            count += seen.pixel(x, y) != expected.pixel(x, y);
    return count;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_shows_picture <window-id> <picture>\n");
        return 2;
    }
    const QImage expected = QImage(QString::fromLocal8Bit(argv[2])).convertToFormat(QImage::Format_RGB32);
    if (expected.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 2;
    }
    const auto window = static_cast<xcb_window_t>(std::strtoul(argv[1], nullptr, 0));
    const QRect area(layout::client_area.topLeft() + layout::Picture2.topLeft(), expected.size());

    xcb_connection_t* const connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "cannot connect to the X server\n");
        return 2;
    }
    // The first frames may still be on their way to the screen.
    const QDeadlineTimer deadline(10000);
    qsizetype differences = differing_pixels(capture_window(connection, window, area), expected);
    while (differences != 0 && !deadline.hasExpired()) {
        QThread::msleep(50);
        differences = differing_pixels(capture_window(connection, window, area), expected);
    }
    xcb_disconnect(connection);
    if (differences != 0) {
        std::fprintf(stderr, "%lld of %lld pixels differ from %s\n", static_cast<long long>(differences),
                     static_cast<long long>(expected.width()) * expected.height(), argv[2]);
        return 1;
    }
    return 0;
}
