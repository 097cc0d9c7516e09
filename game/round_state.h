#pragma once

#include <cstdint>

namespace game {

// A 16-bit truth value whose True is -1: the frame flag takes part in
// arithmetic, where True must count as -1.
using Boolean = std::int16_t;
inline constexpr Boolean True = -1;
inline constexpr Boolean False = 0;

struct RoundState {
    std::int32_t hit_count = 0;
    Boolean is_playing = False;
    Boolean frame_flag = False;
    std::int32_t time_left = 0;
    Boolean key_latch = False;
    std::int32_t pic_base = 0;
    std::int32_t bar_red = 0;
    std::int32_t bar_green = 0;
};

} // namespace game
