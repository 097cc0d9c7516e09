#pragma once

#include "child_process.h"
#include "x_session.h"

#include "app/layout.h"

#include <QImage>
#include <QProcessEnvironment>

#include <chrono>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

// Where the window's design puts the controls the benches look at, in the window's coordinates.
inline constexpr QRect picture_area = layout::Picture2.rect.translated(layout::client_area.topLeft());
inline constexpr QRect bar_area = layout::Shape3.rect.translated(layout::client_area.topLeft());
inline constexpr QRect start_button_area = layout::start_btn.rect.translated(layout::client_area.topLeft());

// A program to start in Xvfb: where, in which environment, the title of its
// window, and the picture that window shows once started, if it has one.
struct XProgram {
    std::string path;
    std::string dir;
    QProcessEnvironment env;
    QString window_name;
    std::string title_picture;
};

// The game from the given executable, in its data folder.
XProgram game_program(const std::string& path, const std::string& data_dir, QProcessEnvironment env);
// The bare Qt window the benches measure the game against.
XProgram floor_program(QProcessEnvironment env);

// A program on the test kit's X server, timed from its start: the window
// mapped, and the window showing its title picture, watched as the server
// draws it.
class XGame {
public:
    using Clock = XSession::Clock;

    // Returns once the window shows the title picture, or once it is mapped
    // for a program without one.
    XGame(const XSession& x, const XProgram& program);

    Clock::duration until_mapped() const { return mapped_ - forked_; }
    Clock::duration until_title_shown() const { return title_shown_ - forked_; }
    pid_t pid() const { return pid_t(program_->processId()); }
    // Its window, at a place of its own and with the keyboard, which no window manager gives here.
    void move_to(QPoint place) const { x_.move(window_, place); }
    void focus() const { x_.focus(window_); }
    void click(const QRect& area) const { x_.click(x_.geometry(window_).topLeft() + area.center()); }
    void space_bar(bool down) const { x_.key("space", down); }
    std::optional<Clock::time_point> next_drawing(std::initializer_list<QRect> areas, Clock::duration timeout) const
    {
        return x_.next_drawing(window_, areas, timeout);
    }

private:
    const XSession& x_;
    Clock::time_point forked_{};
    Clock::time_point mapped_{};
    Clock::time_point title_shown_{};
    xcb_window_t window_ = XCB_NONE;
    std::unique_ptr<ChildProcess> program_;
};
