#include "xvfb.h"

#include <QDeadlineTimer>
#include <QThread>

#include <poll.h>

Xvfb::Xvfb(const QString& screen)
    : server_({"Xvfb", "-displayfd", "1", "-screen", "0", screen + "x24", "-nolisten", "tcp"},
              QProcessEnvironment::systemEnvironment(), {}, QProcess::ForwardedErrorChannel)
{
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
    // Checked, so that the server heeds it before any program starts.
    const std::uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    std::free(xcb_request_check(connection_,
                                xcb_change_window_attributes_checked(connection_, root(), XCB_CW_EVENT_MASK, &events)));
}

Xvfb::~Xvfb()
{
    if (connection_)
        xcb_disconnect(connection_);
}

Xvfb::Event Xvfb::next_event(std::chrono::steady_clock::time_point deadline) const
{
    for (;;) {
        if (xcb_generic_event_t* const event = xcb_poll_for_event(connection_))
            return Event(event, &std::free);
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left.count() <= 0 || xcb_connection_has_error(connection_))
            return Event(nullptr, &std::free);
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec wait{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
        pollfd readable{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ppoll(&readable, 1, &wait, nullptr);
    }
}

void Xvfb::forget_windows() const
{
    while (xcb_generic_event_t* const event = xcb_poll_for_event(connection_))
        std::free(event);
}

xcb_window_t Xvfb::wait_for_shown_window(int timeout_ms) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (const Event event = next_event(deadline))
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY)
            return reinterpret_cast<const xcb_map_notify_event_t*>(event.get())->window;
    return 0;
}

QString Xvfb::xdotool(const QStringList& arguments) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", name_);
    ChildProcess xdotool(QStringList{"xdotool"} + arguments, env, {}, QProcess::SeparateChannels);
    xdotool.waitForFinished(20000);
    return QString::fromLatin1(xdotool.readAllStandardOutput()).trimmed();
}

void Xvfb::tap(const QStringList& keys, int delay_ms) const
{
    xdotool(QStringList{"key", "--delay", QString::number(delay_ms)} + keys);
}

void Xvfb::hold(const QString& key, int milliseconds) const
{
    xdotool({"keydown", key});
    QThread::msleep(milliseconds);
    xdotool({"keyup", key});
}
