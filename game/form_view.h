#pragma once

#include "game/cue.h"

#include <cstdint>
#include <string>

namespace game {

// 24-bit colour with red in the lowest byte, green in the next, blue in the third.
using Colour = std::uint32_t;

constexpr Colour rgb(std::int16_t red, std::int16_t green, std::int16_t blue)
{
    return static_cast<Colour>(red & 0xFF) | static_cast<Colour>(green & 0xFF) << 8
        | static_cast<Colour>(blue & 0xFF) << 16;
}

constexpr int red_of(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int green_of(Colour c) { return static_cast<int>(c >> 8 & 0xFF); }
constexpr int blue_of(Colour c) { return static_cast<int>(c >> 16 & 0xFF); }

// What the rules may do to the window. Every call takes effect before it returns.
class FormView {
public:
    virtual ~FormView() = default;

    virtual void set_hit_caption(const std::string& text) = 0;     // Label4
    virtual void set_seconds_caption(const std::string& text) = 0; // Label6
    virtual float bar_width() const = 0;                           // Shape3
    virtual void set_bar_width(float pixels) = 0;
    virtual void set_bar_colour(Colour colour) = 0;
    virtual void set_start_enabled(bool enabled) = 0; // start_btn
    virtual void set_timer_enabled(bool enabled) = 0; // Timer1
    virtual void show_picture(int number) = 0;        // Picture2
    virtual void play_cue(Cue cue) = 0;
};

} // namespace game
