#pragma once

#include <string_view>

namespace game {

// The two hit sounds, by the names they are opened under.
enum class Cue { p1, p2 };

constexpr std::string_view cue_name(Cue cue)
{
    return cue == Cue::p1 ? "p1" : "p2";
}

} // namespace game
