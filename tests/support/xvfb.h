#pragma once

#include "child_process.h"

#include <QString>
#include <QStringList>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <memory>

// A private Xvfb server on a display it picks itself, one connection to it
// that hears of top-level windows being created and shown, and xdotool aimed
// at it.
class Xvfb {
public:
    using Event = std::unique_ptr<xcb_generic_event_t, decltype(&std::free)>;

    // A screen of `screen` pixels, 24-bit.
    explicit Xvfb(const QString& screen = QStringLiteral("640x480"));
    ~Xvfb();
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    bool isValid() const { return connection_ != nullptr; }
    const QString& name() const { return name_; }
    xcb_connection_t* connection() const { return connection_; }
    xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root; }
    // The next event from the server; null once the deadline has passed or
    // the connection is lost.
    Event next_event(std::chrono::steady_clock::time_point deadline) const;
    // Drops the events so far, so the next wait sees only what follows.
    void forget_windows() const;
    // The next top-level window shown; 0 if none within `timeout_ms`.
    xcb_window_t wait_for_shown_window(int timeout_ms) const;
    // Runs xdotool with the given arguments; returns its standard output.
    QString xdotool(const QStringList& arguments) const;
    // Presses and releases each key in turn, `delay_ms` apart, with XTest.
    void tap(const QStringList& keys, int delay_ms) const;
    void hold(const QString& key, int milliseconds) const;

private:
    // It names the display it picked on its standard output once it accepts clients.
    ChildProcess server_;
    QString name_;
    xcb_connection_t* connection_ = nullptr;
};
