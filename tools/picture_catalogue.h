#pragma once

#include <QImage>

namespace assets {

inline constexpr int picture_count = 25;

// The game refers to its pictures by number: 1..20 are the stages' frames
// (stage s at 2s-1 resting and 2s taking a blow), 21..24 the results from
// worst to best, 25 the title. `scale` times the picture's size.
QImage draw_numbered_picture(int number, int scale);

} // namespace assets
