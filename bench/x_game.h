#pragma once

#include "child_process.h"
#include "xvfb.h"

#include "app/layout.h"

#include <QImage>
#include <QProcessEnvironment>

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

// A rectangle in the window's own coordinates.
using Area = QRect;

// Where the window's design puts the controls the benches look at.
inline constexpr Area picture_area = layout::Picture2.translated(layout::client_area.topLeft());
inline constexpr Area bar_area = layout::Shape3.translated(layout::client_area.topLeft());
inline constexpr Area start_button_area = layout::start_btn.translated(layout::client_area.topLeft());

// A program to start in Xvfb: where, in which environment, the title of its
// window, and the picture that window shows once started, if it has one.
struct XProgram {
    std::string path;
    std::string dir;
    QProcessEnvironment env;
    std::string window_name;
    std::string title_picture;
};

// The game from the given executable, in its data folder.
XProgram game_program(const std::string& path, const std::string& data_dir, QProcessEnvironment env);
// The bare Qt window the benches measure the game against.
XProgram floor_program(QProcessEnvironment env);

// The real program (or the floor) in an Xvfb server, driven by XTest as a
// player's mouse and keyboard would, and watched through the DAMAGE extension,
// which reports every drawing into its window as the server does it.
class XGame {
public:
    using Clock = std::chrono::steady_clock;

    // Starts the program and returns once its window shows the title picture,
    // or once it is mapped for a program without one.
    XGame(const Xvfb& x, const XProgram& program);
    XGame(const XGame&) = delete;
    XGame& operator=(const XGame&) = delete;

    // From just before fork to the window being mapped, and to its pixels
    // showing the title picture.
    Clock::duration until_mapped() const { return mapped_ - forked_; }
    Clock::duration until_title_shown() const { return title_shown_ - forked_; }
    pid_t pid() const { return pid_t(game_->processId()); }

    // Places the window's top-left corner on the screen, so that two windows
    // can be side by side: without a window manager, both start at the same place.
    void move_to(int x, int y);
    // No window manager gives the keyboard to a window, so the benches do.
    void focus();
    void click(const Area& area);
    void close_window();
    // Sends the signal, if not 0, and waits up to `timeout_ms` for the game to end.
    GameRun end_with(int signal, int timeout_ms) { return game_->end_with(signal, timeout_ms); }
    void space_bar(bool down);
    // When the window next draws over any of the areas; nothing if it does not
    // within the timeout.
    std::optional<Clock::time_point> next_drawing(std::initializer_list<Area> areas, Clock::duration timeout);

private:
    void watch_start_up();
    bool shows_title();
    void send(std::uint8_t type, std::uint8_t detail, std::int16_t x = 0, std::int16_t y = 0);

    const Xvfb& x_;
    xcb_connection_t* const connection_;
    const xcb_window_t root_;
    const std::string window_name_;
    const QImage title_;
    const std::uint8_t damage_event_;
    const xcb_keycode_t space_;
    Clock::time_point forked_{};
    Clock::time_point mapped_{};
    Clock::time_point title_shown_{};
    xcb_window_t window_ = XCB_NONE;
    std::unique_ptr<ChildProcess> game_;
};
