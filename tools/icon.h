#pragma once

#include <QImage>

#include <array>

namespace assets {

inline constexpr std::array<int, 6> icon_sizes{16, 32, 48, 64, 128, 256};

// The window icon at any size: the robot's head taking a hit. Up to 32 px it
// is drawn without antialiasing and stored with a 16-colour palette, as old
// desktops expect of small icons.
QImage draw_icon(int size);

} // namespace assets
