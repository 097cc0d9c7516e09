#include "game/round_rules.h"

#include <array>
#include <cmath>

namespace game {
namespace {

constexpr std::int32_t round_seconds = 25;
constexpr std::int32_t full_score = 200;
constexpr float full_bar_width = 201;

struct StageStart {
    std::int32_t hit;
    std::int32_t pic_base;
};

constexpr std::array<StageStart, 10> stage_starts{{
    {1, 2}, {20, 4}, {40, 6}, {60, 8}, {80, 10},
    {100, 12}, {120, 14}, {140, 16}, {160, 18}, {180, 20},
}};

// The step 250 / 200 is formed in double precision and the sum is rounded
// half to even (the default rounding mode), so each hit moves a part by one.
std::int32_t step_colour(std::int32_t part, double step)
{
    return static_cast<std::int32_t>(std::nearbyint(part + step));
}

} // namespace

void RoundRules::start_btn_Click()
{
    view_.set_timer_enabled(true);
    state_.is_playing = True;
    state_.bar_green = 255;
    state_.bar_red = 0;
    view_.set_bar_width(full_bar_width);
    state_.time_left = round_seconds;
    state_.hit_count = 0;
    state_.pic_base = 0;
    view_.set_start_enabled(false);
}

void RoundRules::Timer1_Timer()
{
    state_.time_left -= 1;
    view_.set_seconds_caption(std::to_string(state_.time_left));
    if (state_.time_left == 0)
        end_at_time_out();
}

void RoundRules::end_at_time_out()
{
    view_.set_start_enabled(true);
    state_.is_playing = False;
    // Every test that holds shows its picture; the last one shown stays.
    if (state_.hit_count < 60)
        view_.show_picture(21);
    if (state_.hit_count > 100)
        view_.show_picture(22);
    if (state_.hit_count > 150)
        view_.show_picture(23);
    view_.set_timer_enabled(false);
}

void RoundRules::Form_KeyDown(std::int16_t key_code, std::int16_t /*shift*/)
{
    if (key_code == space_key_code && state_.is_playing == True && state_.key_latch == False)
        count_hit();
    // Made on every key-down, counted or not.
    if (state_.hit_count == full_score)
        end_at_full_score();
}

void RoundRules::Form_KeyUp(std::int16_t /*key_code*/, std::int16_t /*shift*/)
{
    state_.key_latch = False;
}

void RoundRules::count_hit()
{
    state_.key_latch = True;
    state_.hit_count += 1;
    view_.set_hit_caption(std::to_string(state_.hit_count));
    view_.set_bar_width(view_.bar_width() - 1);

    const double step = 250.0 / 200.0;
    state_.bar_red = step_colour(state_.bar_red, step);
    state_.bar_green = step_colour(state_.bar_green, -step);
    view_.set_bar_colour(rgb(static_cast<std::int16_t>(state_.bar_red),
                             static_cast<std::int16_t>(state_.bar_green), 0));

    for (const StageStart& stage : stage_starts)
        if (stage.hit == state_.hit_count)
            state_.pic_base = stage.pic_base;

    state_.frame_flag = state_.frame_flag == True ? False : True;
    // True counts as -1: the flag set picks the stage's odd frame.
    view_.show_picture(state_.pic_base + state_.frame_flag);
    view_.play_cue(state_.frame_flag == True ? Cue::p2 : Cue::p1);
}

void RoundRules::end_at_full_score()
{
    view_.set_start_enabled(true);
    state_.is_playing = False;
    view_.show_picture(24);
    view_.set_timer_enabled(false);
}

} // namespace game
