#include "app/window_frame.h"

WindowFrame frame_for_desktop(std::string_view current_desktop)
{
    // GNOME's relatives ("ubuntu:GNOME", "GNOME-Classic:GNOME") name it too.
    while (!current_desktop.empty()) {
        const std::size_t colon = current_desktop.find(':');
        if (current_desktop.substr(0, colon) == "GNOME")
            return WindowFrame::own;
        if (colon == std::string_view::npos)
            break;
        current_desktop.remove_prefix(colon + 1);
    }
    return WindowFrame::desktops;
}
