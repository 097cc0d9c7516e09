#pragma once

#include "child_process.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <optional>

// A private Xvfb and one connection to it, which hears of top-level windows
// as they are made and shown: their places and pixels, and a player's
// keyboard and pointer through XTest. Keys are X keysym names ("space",
// "Return", "F10"), a chord "shift+x" or "super+Prior".
class XSession {
public:
    using Clock = std::chrono::steady_clock;
    using Event = std::unique_ptr<xcb_generic_event_t, decltype(&std::free)>;

    explicit XSession(QSize screen = {640, 480});
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    bool isValid() const { return connection_ != nullptr; }
    const QString& name() const { return name_; }
    xcb_window_t root() const;

    // The next event from the server; null once the deadline has passed.
    Event next_event(Clock::time_point deadline) const;
    // The next top-level window shown with that title (any, if empty); none
    // within the timeout.
    std::optional<xcb_window_t> wait_for_window(const QString& title, std::chrono::milliseconds timeout) const;
    QString title_of(xcb_window_t window) const;
    // Its WM_CLASS: the instance's name, then the class's.
    QStringList classes_of(xcb_window_t window) const;
    // A number the window's client gives, such as _NET_WM_PID; 0 if none.
    qint64 property_number(xcb_window_t window, const char* name) const;
    // The window's place on the screen, a frame round it left out.
    QRect geometry(xcb_window_t window) const;
    // The window a window manager says has the focus, if there is one.
    std::optional<xcb_window_t> active_window() const;
    bool has_window_manager() const;
    // The pixels of `area` in the window's coordinates (the screen's by
    // default); a null image if unreadable.
    QImage capture(QRect area, xcb_window_t window = XCB_NONE) const;

    // What a window manager does on a player's behalf.
    void focus(xcb_window_t window) const;
    void move(xcb_window_t window, QPoint to) const;
    void close(xcb_window_t window) const;
    void request_full_screen(xcb_window_t window) const;
    // The server's own repeating of held keys, which a compositor on it does itself.
    void keyboard_repeat(bool on) const;

    // The pointer and keys, in the screen's coordinates.
    void pointer_to(QPoint at) const;
    void button(bool down) const;
    void click(QPoint at, int clicks = 1) const;
    void drag(QPoint from, QPoint by) const;
    void key(const QString& chord, bool down) const;
    void tap(const QStringList& chords, int delay_ms = 0) const;
    void hold(const QString& chord, int milliseconds) const;

    // Drawing reports for the window, from the DAMAGE extension; false if the
    // server has none.
    bool watch_drawing(xcb_window_t window) const;
    // When the window next draws over any of the areas (its coordinates).
    std::optional<Clock::time_point> next_drawing(xcb_window_t window, std::initializer_list<QRect> areas,
                                                  Clock::duration timeout) const;

private:
    xcb_atom_t atom(const char* name) const;
    void fake(std::uint8_t type, std::uint8_t detail, QPoint at = {}) const;
    void message(xcb_window_t window, xcb_window_t to, xcb_atom_t type, std::initializer_list<std::uint32_t> data,
                 std::uint32_t mask) const;

    // It names the display it picked on its standard output once it accepts clients.
    ChildProcess server_;
    QString name_;
    xcb_connection_t* connection_ = nullptr;
};
