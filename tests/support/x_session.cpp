#include "x_session.h"

#include <QDeadlineTimer>
#include <QThread>

#include <xcb/damage.h>
#include <xcb/xtest.h>
#include <xkbcommon/xkbcommon.h>

#include <poll.h>

#include <cstring>

namespace {

template <typename Reply> using Owned = std::unique_ptr<Reply, decltype(&std::free)>;
template <typename Reply> Owned<Reply> owned(Reply* reply)
{
    return Owned<Reply>(reply, &std::free);
}

// A compositor hands the pointer to the window under it a moment later.
constexpr unsigned long settle_ms = 100;
const std::initializer_list<std::pair<const char*, const char*>> modifiers{
    {"shift", "Shift_L"}, {"ctrl", "Control_L"}, {"alt", "Alt_L"}, {"super", "Super_L"}};

QStringList keysyms_of(const QString& chord)
{
    QStringList names = chord.split('+');
    for (QString& name : names)
        for (const auto& [short_name, keysym] : modifiers)
            if (name == QLatin1String(short_name))
                name = QLatin1String(keysym);
    return names;
}

} // namespace

XSession::XSession(QSize screen)
    : server_({"Xvfb", "-displayfd", "1", "-screen", "0", QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height()),
               "-nolisten", "tcp"},
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

XSession::~XSession()
{
    if (connection_)
        xcb_disconnect(connection_);
}

xcb_window_t XSession::root() const
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
}

XSession::Event XSession::next_event(Clock::time_point deadline) const
{
    for (;;) {
        if (xcb_generic_event_t* const event = xcb_poll_for_event(connection_))
            return Event(event, &std::free);
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now()).count();
        if (left <= 0 || xcb_connection_has_error(connection_))
            return Event(nullptr, &std::free);
        const timespec wait{static_cast<time_t>(left / 1'000'000'000), static_cast<long>(left % 1'000'000'000)};
        pollfd readable{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ppoll(&readable, 1, &wait, nullptr);
    }
}

std::optional<xcb_window_t> XSession::wait_for_window(const QString& title, std::chrono::milliseconds timeout) const
{
    const auto deadline = Clock::now() + timeout;
    while (const Event event = next_event(deadline)) {
        if ((event->response_type & 0x7F) != XCB_MAP_NOTIFY)
            continue;
        const xcb_window_t window = reinterpret_cast<const xcb_map_notify_event_t*>(event.get())->window;
        if (title.isEmpty() || title_of(window) == title)
            return window;
    }
    return std::nullopt;
}

QString XSession::title_of(xcb_window_t window) const
{
    for (const xcb_atom_t property : {atom("_NET_WM_NAME"), xcb_atom_t{XCB_ATOM_WM_NAME}}) {
        const auto reply = owned(xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
            nullptr));
        if (reply && xcb_get_property_value_length(reply.get()) > 0)
            return QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply.get())),
                                     xcb_get_property_value_length(reply.get()));
    }
    return {};
}

QStringList XSession::classes_of(xcb_window_t window) const
{
    const auto reply = owned(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256), nullptr));
    if (!reply)
        return {};
    const QByteArray both(static_cast<const char*>(xcb_get_property_value(reply.get())),
                          xcb_get_property_value_length(reply.get()));
    return QString::fromLatin1(both).split(QChar(0), Qt::SkipEmptyParts);
}

qint64 XSession::property_number(xcb_window_t window, const char* name) const
{
    const auto reply = owned(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, atom(name), XCB_ATOM_CARDINAL, 0, 1), nullptr));
    if (!reply || xcb_get_property_value_length(reply.get()) != 4)
        return 0;
    return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
}

QRect XSession::geometry(xcb_window_t window) const
{
    const auto size = owned(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
    const auto place = owned(xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, root(), 0, 0), nullptr));
    if (!size || !place)
        return {};
    return {place->dst_x, place->dst_y, size->width, size->height};
}

std::optional<xcb_window_t> XSession::active_window() const
{
    const auto reply = owned(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, root(), atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!reply || xcb_get_property_value_length(reply.get()) != 4)
        return std::nullopt;
    const xcb_window_t window = *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    return window == XCB_NONE ? std::nullopt : std::optional(window);
}

bool XSession::has_window_manager() const
{
    const auto reply = owned(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, root(), atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 0, 1), nullptr));
    return reply && xcb_get_property_value_length(reply.get()) == 4;
}

QImage XSession::capture(QRect area, xcb_window_t window) const
{
    const auto cookie = xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window == XCB_NONE ? root() : window,
                                      static_cast<std::int16_t>(area.x()), static_cast<std::int16_t>(area.y()),
                                      static_cast<std::uint16_t>(area.width()),
                                      static_cast<std::uint16_t>(area.height()), ~0u);
    const auto reply = owned(xcb_get_image_reply(connection_, cookie, nullptr));
    if (!reply || reply->depth != 24 || xcb_get_image_data_length(reply.get()) != area.width() * area.height() * 4)
        return {};
    // A 24-bit screen keeps each pixel as 32-bit xRGB, as QImage's RGB32 does.
    return QImage(xcb_get_image_data(reply.get()), area.width(), area.height(), area.width() * 4,
                  QImage::Format_RGB32)
        .copy();
}

void XSession::focus(xcb_window_t window) const
{
    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

void XSession::move(xcb_window_t window, QPoint to) const
{
    const std::uint32_t where[] = {static_cast<std::uint32_t>(to.x()), static_cast<std::uint32_t>(to.y())};
    xcb_configure_window(connection_, window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, where);
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

// What a window manager sends when the player clicks its close box.
void XSession::close(xcb_window_t window) const
{
    message(window, window, atom("WM_PROTOCOLS"), {atom("WM_DELETE_WINDOW"), XCB_CURRENT_TIME}, XCB_EVENT_MASK_NO_EVENT);
}

// As a desktop's key binding or a pager asks the window manager.
void XSession::request_full_screen(xcb_window_t window) const
{
    message(window, root(), atom("_NET_WM_STATE"), {1, atom("_NET_WM_STATE_FULLSCREEN"), 0, 1},
            XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
}

void XSession::keyboard_repeat(bool on) const
{
    const std::uint32_t mode = on ? XCB_AUTO_REPEAT_MODE_ON : XCB_AUTO_REPEAT_MODE_OFF;
    std::free(xcb_request_check(connection_,
                                xcb_change_keyboard_control_checked(connection_, XCB_KB_AUTO_REPEAT_MODE, &mode)));
}

void XSession::pointer_to(QPoint at) const
{
    fake(XCB_MOTION_NOTIFY, 0, at);
    QThread::msleep(settle_ms);
}

void XSession::button(bool down) const
{
    fake(down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, 1);
}

void XSession::click(QPoint at, int clicks) const
{
    pointer_to(at);
    for (int click = 0; click < clicks; ++click) {
        if (click > 0)
            QThread::msleep(80);
        // Held a moment, as a finger does: a press and its release at one
        // instant were lost on a window xfwm4 had just mapped.
        button(true);
        QThread::msleep(20);
        button(false);
    }
}

void XSession::drag(QPoint from, QPoint by) const
{
    pointer_to(from);
    button(true);
    // In steps, as a hand moves, so the desktop sees a drag and not a jump.
    for (int step = 1; step <= 5; ++step) {
        pointer_to(from + by * step / 5);
        QThread::msleep(30);
    }
    button(false);
}

void XSession::key(const QString& chord, bool down) const
{
    const xcb_setup_t* const setup = xcb_get_setup(connection_);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    const auto map = owned(xcb_get_keyboard_mapping_reply(
        connection_, xcb_get_keyboard_mapping(connection_, setup->min_keycode, static_cast<std::uint8_t>(count)),
        nullptr));
    if (!map)
        return;
    const xcb_keysym_t* const keysyms = xcb_get_keyboard_mapping_keysyms(map.get());
    QStringList names = keysyms_of(chord);
    // Modifiers first down and last up.
    if (!down)
        std::reverse(names.begin(), names.end());
    for (const QString& name : names) {
        // A chord's keys a moment apart, as hands press them.
        if (name != names.front())
            QThread::msleep(12);
        const xkb_keysym_t wanted = xkb_keysym_from_name(name.toLatin1().constData(), XKB_KEYSYM_NO_FLAGS);
        for (int i = 0; i < count * map->keysyms_per_keycode; ++i) {
            if (keysyms[i] == wanted) {
                fake(down ? XCB_KEY_PRESS : XCB_KEY_RELEASE,
                     static_cast<std::uint8_t>(setup->min_keycode + i / map->keysyms_per_keycode));
                break;
            }
        }
    }
}

void XSession::tap(const QStringList& chords, int delay_ms) const
{
    for (const QString& chord : chords) {
        key(chord, true);
        key(chord, false);
        QThread::msleep(static_cast<unsigned long>(delay_ms));
    }
}

void XSession::hold(const QString& chord, int milliseconds) const
{
    key(chord, true);
    QThread::msleep(static_cast<unsigned long>(milliseconds));
    key(chord, false);
}

bool XSession::watch_drawing(xcb_window_t window) const
{
    const xcb_query_extension_reply_t* const damage = xcb_get_extension_data(connection_, &xcb_damage_id);
    if (!damage || !damage->present)
        return false;
    std::free(xcb_damage_query_version_reply(
        connection_, xcb_damage_query_version(connection_, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
        nullptr));
    xcb_damage_create(connection_, xcb_generate_id(connection_), window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    xcb_flush(connection_);
    return true;
}

std::optional<XSession::Clock::time_point> XSession::next_drawing(xcb_window_t window,
                                                                  std::initializer_list<QRect> areas,
                                                                  Clock::duration timeout) const
{
    const std::uint8_t drawn = xcb_get_extension_data(connection_, &xcb_damage_id)->first_event + XCB_DAMAGE_NOTIFY;
    const auto deadline = Clock::now() + timeout;
    while (const Event event = next_event(deadline)) {
        const auto* const damage = reinterpret_cast<const xcb_damage_notify_event_t*>(event.get());
        if ((event->response_type & 0x7f) != drawn || damage->drawable != window)
            continue;
        const QRect area(damage->area.x, damage->area.y, damage->area.width, damage->area.height);
        for (const QRect& wanted : areas)
            if (wanted.intersects(area))
                return Clock::now();
    }
    return std::nullopt;
}

xcb_atom_t XSession::atom(const char* name) const
{
    const auto reply = owned(
        xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

void XSession::fake(std::uint8_t type, std::uint8_t detail, QPoint at) const
{
    xcb_test_fake_input(connection_, type, detail, XCB_CURRENT_TIME, root(), static_cast<std::int16_t>(at.x()),
                        static_cast<std::int16_t>(at.y()), 0);
    xcb_flush(connection_);
}

void XSession::message(xcb_window_t window, xcb_window_t to, xcb_atom_t type,
                       std::initializer_list<std::uint32_t> data, std::uint32_t mask) const
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = type;
    std::copy(data.begin(), data.end(), message.data.data32);
    xcb_send_event(connection_, 0, to, mask, reinterpret_cast<const char*>(&message));
    xcb_flush(connection_);
}
