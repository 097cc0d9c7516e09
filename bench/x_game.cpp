#include "bench/x_game.h"

#include "bench/summary.h"

#include <xcb/xtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

namespace {

using Clock = XGame::Clock;
constexpr xcb_keysym_t space_keysym = 0x20;

xcb_connection_t* connection_to(const Xvfb& x)
{
    if (!x.isValid())
        give_up("cannot start Xvfb");
    return x.connection();
}

std::uint8_t first_damage_event(xcb_connection_t* connection)
{
    const xcb_query_extension_reply_t* const damage = xcb_get_extension_data(connection, &xcb_damage_id);
    if (!damage || !damage->present)
        give_up("the X server has no DAMAGE extension");
    std::free(xcb_damage_query_version_reply(
        connection, xcb_damage_query_version(connection, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
        nullptr));
    return damage->first_event;
}

xcb_keycode_t keycode_of(xcb_connection_t* connection, xcb_keysym_t keysym)
{
    const xcb_setup_t* const setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto* const map = xcb_get_keyboard_mapping_reply(
        connection,
        xcb_get_keyboard_mapping(connection, setup->min_keycode, static_cast<std::uint8_t>(count)),
        nullptr);
    if (!map)
        give_up("no keyboard mapping");
    const xcb_keysym_t* const syms = xcb_get_keyboard_mapping_keysyms(map);
    xcb_keycode_t found = 0;
    for (int i = 0; i < count * map->keysyms_per_keycode && !found; ++i)
        if (syms[i] == keysym)
            found = static_cast<xcb_keycode_t>(setup->min_keycode + i / map->keysyms_per_keycode);
    std::free(map);
    if (!found)
        give_up("no key for the space bar");
    return found;
}

bool overlaps(const xcb_rectangle_t& r, const Area& a)
{
    return a.intersects(QRect(r.x, r.y, r.width, r.height));
}

void round_trip(xcb_connection_t* connection)
{
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

std::string name_of(xcb_connection_t* connection, xcb_window_t window)
{
    auto* const reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 0, 256), nullptr);
    std::string name;
    if (reply)
        name.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                    static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    std::free(reply);
    return name;
}

QImage picture_in(const std::string& path)
{
    if (path.empty())
        return {};
    QImage picture(QString::fromStdString(path));
    if (picture.isNull())
        give_up(("cannot read the title picture " + path).c_str());
    return picture.convertToFormat(QImage::Format_RGB32);
}

} // namespace

XProgram game_program(const std::string& path, const std::string& data_dir, QProcessEnvironment env)
{
    return {path, data_dir, std::move(env), "Zumbrel", data_dir + "/bmp/25.bmp"};
}

XProgram floor_program(QProcessEnvironment env)
{
    return {ZUMBREL_FLOOR_PROGRAM, {}, std::move(env), "Zumbrel floor", {}};
}

XGame::XGame(const Xvfb& x, const XProgram& program)
    : x_(x)
    , connection_(connection_to(x))
    , root_(x.root())
    , window_name_(program.window_name)
    , title_(picture_in(program.title_picture))
    , damage_event_(first_damage_event(connection_))
    , space_(keycode_of(connection_, space_keysym))
{
    QProcessEnvironment env = program.env;
    env.insert("DISPLAY", x.name());
    env.insert("QT_QPA_PLATFORM", "xcb");
    forked_ = Clock::now();
    game_ = std::make_unique<ChildProcess>(QStringList{QString::fromStdString(program.path)}, env,
                                           QString::fromStdString(program.dir));
    watch_start_up();
    focus();
}

void XGame::watch_start_up()
{
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (title_shown_ == Clock::time_point{}) {
        // The damage object may come too late for the first drawing: look now and then anyway.
        const auto soon = Clock::now() + std::chrono::milliseconds(20);
        const auto wake = window_ == XCB_NONE ? deadline : std::min(deadline, soon);
        const Xvfb::Event event = x_.next_event(wake);
        const auto now = Clock::now();
        if (now >= deadline || xcb_connection_has_error(connection_))
            give_up("the game's window never showed its title picture");
        const int type = event ? event->response_type & 0x7f : 0;
        if (type == XCB_CREATE_NOTIFY) {
            const auto* const created = reinterpret_cast<const xcb_create_notify_event_t*>(event.get());
            xcb_damage_create(connection_, xcb_generate_id(connection_), created->window,
                              XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
            xcb_flush(connection_);
        } else if (type == XCB_MAP_NOTIFY) {
            const auto* const mapped = reinterpret_cast<const xcb_map_notify_event_t*>(event.get());
            if (name_of(connection_, mapped->window) == window_name_) {
                window_ = mapped->window;
                mapped_ = now;
                if (title_.isNull())
                    title_shown_ = now;
            }
        }
        const bool may_show = !event || type == XCB_MAP_NOTIFY || type == damage_event_ + XCB_DAMAGE_NOTIFY;
        if (window_ != XCB_NONE && may_show && shows_title())
            title_shown_ = now;
    }
}

bool XGame::shows_title()
{
    const Area& a = picture_area;
    auto* const image = xcb_get_image_reply(
        connection_,
        xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, static_cast<std::int16_t>(a.x()),
                      static_cast<std::int16_t>(a.y()), static_cast<std::uint16_t>(a.width()),
                      static_cast<std::uint16_t>(a.height()), ~0u),
        nullptr);
    if (!image)
        return false;
    // A 24-bit Xvfb screen keeps each pixel as 32-bit xRGB, as QImage's RGB32 does.
    const auto* const pixels = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image));
    bool same = xcb_get_image_data_length(image) == a.width() * a.height() * 4;
    for (int y = 0; same && y < std::min(a.height(), title_.height()); ++y)
        for (int x = 0; same && x < std::min(a.width(), title_.width()); ++x)
            same = ((pixels[y * a.width() + x] ^ title_.pixel(x, y)) & 0xFFFFFF) == 0;
    std::free(image);
    return same;
}

void XGame::move_to(int x, int y)
{
    const std::uint32_t where[] = {static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)};
    xcb_configure_window(connection_, window_, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, where);
    round_trip(connection_);
}

void XGame::focus()
{
    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, window_, XCB_CURRENT_TIME);
    xcb_flush(connection_);
}

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    const auto reply = std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)>(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

} // namespace

// What a window manager sends when the player clicks the close box.
void XGame::close_window()
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window_;
    message.type = atom(connection_, "WM_PROTOCOLS");
    message.data.data32[0] = atom(connection_, "WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection_, 0, window_, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    xcb_flush(connection_);
}

void XGame::click(const Area& area)
{
    auto* const where = xcb_translate_coordinates_reply(
        connection_,
        xcb_translate_coordinates(connection_, window_, root_, static_cast<std::int16_t>(area.center().x()),
                                  static_cast<std::int16_t>(area.center().y())),
        nullptr);
    if (!where)
        give_up("cannot find the window on the screen");
    send(XCB_MOTION_NOTIFY, 0, where->dst_x, where->dst_y);
    std::free(where);
    send(XCB_BUTTON_PRESS, 1);
    send(XCB_BUTTON_RELEASE, 1);
    xcb_flush(connection_);
}

void XGame::space_bar(bool down)
{
    send(down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, space_);
    xcb_flush(connection_);
}

void XGame::send(std::uint8_t type, std::uint8_t detail, std::int16_t x, std::int16_t y)
{
    xcb_test_fake_input(connection_, type, detail, XCB_CURRENT_TIME, root_, x, y, 0);
}

std::optional<Clock::time_point> XGame::next_drawing(std::initializer_list<Area> areas, Clock::duration timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (const Xvfb::Event event = x_.next_event(deadline)) {
        if ((event->response_type & 0x7f) != damage_event_ + XCB_DAMAGE_NOTIFY)
            continue;
        const auto* const damage = reinterpret_cast<const xcb_damage_notify_event_t*>(event.get());
        if (damage->drawable != window_)
            continue;
        for (const Area& area : areas)
            if (overlaps(damage->area, area))
                return Clock::now();
    }
    return std::nullopt;
}
