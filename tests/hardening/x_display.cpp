#include "x_display.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>

#include <cstdlib>
#include <poll.h>

XDisplay::XDisplay()
{
    // Xvfb picks a free display itself and names it once it accepts clients.
    server_.start("Xvfb", {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
    const QDeadlineTimer deadline(20000);
    while (!server_.canReadLine() && server_.waitForReadyRead(int(deadline.remainingTime()))) {
    }
    if (!server_.canReadLine())
        return;
    name_ = ':' + QString::fromLatin1(server_.readLine()).trimmed();
    xcb_connection_t* const connection = xcb_connect(name_.toLatin1().constData(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    connection_ = connection;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    const std::uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root, XCB_CW_EVENT_MASK, &events);
    xcb_flush(connection_);
}

XDisplay::~XDisplay()
{
    if (connection_)
        xcb_disconnect(connection_);
    server_.terminate();
    server_.waitForFinished();
}

void XDisplay::forget_windows()
{
    while (xcb_generic_event_t* const event = xcb_poll_for_event(connection_))
        std::free(event);
}

xcb_window_t XDisplay::wait_for_shown_window(int timeout_ms)
{
    const QDeadlineTimer deadline(timeout_ms);
    pollfd readable{xcb_get_file_descriptor(connection_), POLLIN, 0};
    while (!deadline.hasExpired() && !xcb_connection_has_error(connection_)) {
        while (xcb_generic_event_t* const event = xcb_poll_for_event(connection_)) {
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

QString XDisplay::xdotool(const QStringList& arguments) const
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", name_);
    process.setProcessEnvironment(env);
    process.start("xdotool", arguments);
    process.waitForFinished(20000);
    return QString::fromLatin1(process.readAllStandardOutput()).trimmed();
}
