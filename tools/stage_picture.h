#pragma once

#include <QImage>

namespace assets {

inline constexpr int stage_count = 10;

enum class StageFrame { rest, impact };

// One of the two frames shown for a stage (1..stage_count); hits alternate
// between them, so they must differ at a glance. `scale` times the picture's size.
QImage draw_stage_picture(int stage, StageFrame frame, int scale);

} // namespace assets
