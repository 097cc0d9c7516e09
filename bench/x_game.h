#pragma once

#include "bench/child_process.h"
#include "bench/xvfb_server.h"

#include <QImage>

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

// A rectangle in the window's own coordinates.
struct Area {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Where the window's design puts the controls the benches look at.
inline constexpr Area picture_area{17, 133, 265, 201};
inline constexpr Area bar_area{76, 357, 201, 8};
inline constexpr Area start_button_area{8, 96, 281, 25};

// The real program in an Xvfb server, driven by XTest as a player's mouse and
// keyboard would, and watched through the DAMAGE extension, which reports
// every drawing into its window as the server does it.
class XGame {
public:
    using Clock = std::chrono::steady_clock;

    // Starts the program in its data folder and returns once its window shows
    // the title picture.
    XGame(const XvfbServer& x, const std::string& program, const std::string& data_dir);
    ~XGame();
    XGame(const XGame&) = delete;
    XGame& operator=(const XGame&) = delete;

    // From just before fork to the window being mapped, and to its pixels
    // showing the title picture.
    Clock::duration until_mapped() const { return mapped_ - forked_; }
    Clock::duration until_title_shown() const { return title_shown_ - forked_; }

    void click(const Area& area);
    void space_bar(bool down);
    // When the window next draws over any of the areas; nothing if it does not
    // within the timeout.
    std::optional<Clock::time_point> next_drawing(std::initializer_list<Area> areas, Clock::duration timeout);

private:
    using Event = std::unique_ptr<xcb_generic_event_t, decltype(&std::free)>;

    Event next_event(Clock::time_point deadline);
    void watch_start_up();
    bool shows_title();
    void send(std::uint8_t type, std::uint8_t detail, std::int16_t x = 0, std::int16_t y = 0);

    xcb_connection_t* const connection_;
    const xcb_window_t root_;
    const QImage title_;
    const std::uint8_t damage_event_;
    const xcb_keycode_t space_;
    Clock::time_point forked_{};
    Clock::time_point mapped_{};
    Clock::time_point title_shown_{};
    xcb_window_t window_ = XCB_NONE;
    std::unique_ptr<ChildProcess> game_;
};
