#include "x_display.h"

#include <QDeadlineTimer>

#include <cstdlib>
#include <poll.h>

XDisplay::XDisplay()
{
    if (!x_.isValid())
        return;
    xcb_connection_t* const connection = x_.connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const std::uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &events);
    xcb_flush(connection);
}

void XDisplay::forget_windows()
{
    while (xcb_generic_event_t* const event = xcb_poll_for_event(x_.connection()))
        std::free(event);
}

xcb_window_t XDisplay::wait_for_shown_window(int timeout_ms)
{
    xcb_connection_t* const connection = x_.connection();
    const QDeadlineTimer deadline(timeout_ms);
    pollfd readable{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (!deadline.hasExpired() && !xcb_connection_has_error(connection)) {
        while (xcb_generic_event_t* const event = xcb_poll_for_event(connection)) {
            const xcb_window_t mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY
                ? reinterpret_cast<const xcb_map_notify_event_t*>(event)->window
                : 0;
            std::free(event);
            if (mapped)
                return mapped;
        }
        ::poll(&readable, 1, int(deadline.remainingTime()));
    }
    return 0;
}
