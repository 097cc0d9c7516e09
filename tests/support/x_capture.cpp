#include "x_capture.h"

#include <cstdlib>
#include <memory>

namespace {

template <typename Reply> using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

} // namespace

QImage capture_window(xcb_connection_t* connection, xcb_window_t window, QRect area)
{
    if (area.isNull()) {
        const Owned<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr), &std::free);
        if (!geometry)
            return {};
        area = QRect(0, 0, geometry->width, geometry->height);
    }
    const auto cookie = xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window,
                                      static_cast<int16_t>(area.x()), static_cast<int16_t>(area.y()),
                                      static_cast<uint16_t>(area.width()),
                                      static_cast<uint16_t>(area.height()), ~0u);
    const Owned<xcb_get_image_reply_t> reply(xcb_get_image_reply(connection, cookie, nullptr), &std::free);
    if (!reply || reply->depth != 24
        || xcb_get_image_data_length(reply.get()) != area.width() * area.height() * 4)
        return {};
    // A 24-bit screen stores pixels as 32-bit little-endian xRGB.
    return QImage(xcb_get_image_data(reply.get()), area.width(), area.height(), area.width() * 4,
                  QImage::Format_RGB32)
        .copy();
}
