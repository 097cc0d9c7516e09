#pragma once

#include "game/form_view.h"
#include "game/round_state.h"

#include <cstdint>

namespace game {

inline constexpr std::int16_t space_key_code = 32;

// The window's handlers for a round and its hits. Each one runs to its end
// before the next is called, and acts on the window only through the view.
class RoundRules {
public:
    explicit RoundRules(FormView& view) : view_(view) {}

    void start_btn_Click();
    void Timer1_Timer();
    void Form_KeyDown(std::int16_t key_code, std::int16_t shift);
    void Form_KeyUp(std::int16_t key_code, std::int16_t shift);

    const RoundState& state() const { return state_; }

private:
    void count_hit();
    void end_at_full_score();
    void end_at_time_out();

    FormView& view_;
    RoundState state_;
};

} // namespace game
