#pragma once

namespace game {

// The two hit sounds: p1 goes with a stage's even frame, p2 with its odd one.
enum class Cue { p1, p2 };

} // namespace game
