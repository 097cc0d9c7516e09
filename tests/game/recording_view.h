#pragma once

#include "game/form_view.h"

#include <string>
#include <vector>

// Keeps what the rules did to the window, as the window would show it, and
// the picture requests and sound cues in their order.
class RecordingView : public game::FormView {
public:
    std::string hit_caption = "0";
    std::string seconds_caption = "25";
    float width = 201;
    game::Colour colour = game::rgb(0, 255, 0);
    bool start_enabled = true;
    bool timer_enabled = false;
    std::vector<int> pictures;
    std::vector<std::string> cues;

    void set_hit_caption(const std::string& text) override { hit_caption = text; }
    void set_seconds_caption(const std::string& text) override { seconds_caption = text; }
    float bar_width() const override { return width; }
    void set_bar_width(float pixels) override { width = pixels; }
    void set_bar_colour(game::Colour c) override { colour = c; }
    void set_start_enabled(bool enabled) override { start_enabled = enabled; }
    void set_timer_enabled(bool enabled) override { timer_enabled = enabled; }
    void show_picture(int number) override { pictures.push_back(number); }
    void play_cue(game::Cue cue) override { cues.emplace_back(cue == game::Cue::p1 ? "p1" : "p2"); }

    void forget_requests()
    {
        pictures.clear();
        cues.clear();
    }
};
