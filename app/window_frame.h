#pragma once

#include <string_view>

// Who draws the window's caption and close box. GNOME frames X11 windows with
// GTK's title bar, which offers minimise to every window whatever its hints,
// and leaves Wayland windows to Qt's frames, which maximise and resize: there
// the game draws its own.
enum class WindowFrame { desktops, own };

// The own caption's height, above the client area.
constexpr int own_caption_height = 30;

// From XDG_CURRENT_DESKTOP, a colon-separated list of desktop names.
WindowFrame frame_for_desktop(std::string_view current_desktop);
