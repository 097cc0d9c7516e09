#pragma once

#include <optional>
#include <string>

// Where a Wayland compositor leaves the window frame to the client, Qt draws
// one whose buttons and double-click maximise and resize a fixed-size window.
// An X server beside it (XWayland) has a window manager that draws a frame
// honouring the window's hints, so the game then runs through it instead.

enum class WaylandFrames { drawn_by_compositor, drawn_by_client, unknown };

struct DisplayEnvironment {
    std::string qt_platform;     // QT_QPA_PLATFORM
    std::string wayland_display; // WAYLAND_DISPLAY
    std::string x_display;       // DISPLAY
};

// The platform to start Qt on instead of its own choice, if any.
std::optional<std::string> platform_override(const DisplayEnvironment& env, WaylandFrames frames);

// Asks the compositor whether it offers to draw frames (xdg-decoration).
WaylandFrames probe_wayland_frames();

// Sets QT_QPA_PLATFORM before the application object exists, where needed.
void choose_platform();
