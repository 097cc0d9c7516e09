#include "x_capture.h"

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

template <typename Reply> using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* const reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return found;
}

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

void request_full_screen(const QString& display, xcb_window_t window)
{
    xcb_connection_t* const connection = xcb_connect(display.toLatin1().constData(), nullptr);
    if (!xcb_connection_has_error(connection)) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = atom(connection, "_NET_WM_STATE");
        message.data.data32[0] = 1; // add
        message.data.data32[1] = atom(connection, "_NET_WM_STATE_FULLSCREEN");
        message.data.data32[3] = 1; // from an application
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(connection);
    }
    xcb_disconnect(connection);
}

bool has_window_manager(xcb_connection_t* connection)
{
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const Owned<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, root, atom(connection, "_NET_SUPPORTING_WM_CHECK"),
                                                XCB_ATOM_WINDOW, 0, 1),
                               nullptr),
        &std::free);
    return reply && xcb_get_property_value_length(reply.get()) == 4;
}
