#pragma once

#include <string>
#include <vector>

// An independent model of the game, written from its tables of hits, stages
// and time-out results rather than from the rules' steps. It predicts what the
// window shows and which pictures and sounds each event asks for.
class RoundModel {
public:
    enum class Event { start_click, tick, space_down, other_down, key_up };

    struct Screen {
        std::string hit_caption = "0";
        std::string seconds_caption = "25";
        int bar_width = 201;
        int red = 0;
        int green = 255;
        bool start_enabled = true;
        bool timer_enabled = false;
        bool operator==(const Screen&) const = default;
    };

    // Whether the window can deliver the event now: a disabled button takes
    // no clicks and a stopped timer does not tick.
    bool deliverable(Event event) const
    {
        if (event == Event::start_click)
            return screen_.start_enabled;
        if (event == Event::tick)
            return screen_.timer_enabled;
        return true;
    }

    // Applies a deliverable event; returns the pictures and cues it asks for, in order.
    void apply(Event event, std::vector<int>& pictures, std::vector<std::string>& cues)
    {
        switch (event) {
        case Event::start_click:
            playing_ = true;
            hits_ = 0;
            seconds_ = 25;
            screen_.bar_width = 201;
            screen_.start_enabled = false;
            screen_.timer_enabled = true;
            break;
        case Event::tick:
            screen_.seconds_caption = std::to_string(--seconds_);
            if (seconds_ == 0)
                time_out(pictures);
            break;
        case Event::space_down:
            if (playing_ && !held_)
                hit(pictures, cues);
            full_score_check(pictures);
            break;
        case Event::other_down:
            full_score_check(pictures);
            break;
        case Event::key_up:
            held_ = false;
            break;
        }
    }

    const Screen& screen() const { return screen_; }
    int hits() const { return hits_; }

private:
    void hit(std::vector<int>& pictures, std::vector<std::string>& cues)
    {
        held_ = true;
        ++hits_;
        ++hits_since_start_up_;
        screen_.hit_caption = std::to_string(hits_);
        screen_.bar_width = 201 - hits_;
        screen_.red = hits_;
        screen_.green = 255 - hits_;
        // Stage s covers hits 1-19, then 20 a stage, the last one 180-200.
        const int stage = hits_ < 20 ? 1 : hits_ >= 180 ? 10 : hits_ / 20 + 1;
        const bool odd_frame = hits_since_start_up_ % 2 == 1;
        pictures.push_back(odd_frame ? 2 * stage - 1 : 2 * stage);
        cues.emplace_back(odd_frame ? "p2" : "p1");
    }

    void time_out(std::vector<int>& pictures)
    {
        end_round();
        if (hits_ <= 59)
            pictures.push_back(21);
        else if (hits_ >= 101 && hits_ <= 150)
            pictures.push_back(22);
        else if (hits_ >= 151) {
            pictures.push_back(22);
            pictures.push_back(23);
        }
    }

    void full_score_check(std::vector<int>& pictures)
    {
        if (hits_ == 200) {
            end_round();
            pictures.push_back(24);
        }
    }

    void end_round()
    {
        playing_ = false;
        screen_.start_enabled = true;
        screen_.timer_enabled = false;
    }

    Screen screen_;
    bool playing_ = false;
    bool held_ = false;
    int hits_ = 0;
    int seconds_ = 0;
    long hits_since_start_up_ = 0;
};
