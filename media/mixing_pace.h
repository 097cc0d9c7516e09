#pragma once

#include <chrono>

namespace media {

// Tells from when the mixer is asked for each buffer whether the sound server
// ran dry. A server that keeps playing asks at the pace of its clock; one that
// ran dry played silence meanwhile, and from then on asks that much later.
// So a buffer asked for later than the pace allows is a dropout, and the pace
// starts again from it. Used from the mixing thread alone.
class MixingPace {
public:
    using Clock = std::chrono::steady_clock;

    // A new output, mixing `rate` frames a second.
    void restart(int rate);
    // The mixer was asked for `frames` more at `at`. Whether the server ran dry
    // before it.
    bool mixed(int frames, Clock::time_point at);

private:
    // A server just started may hold a new stream back for a second once it
    // has its first buffers: silence before any sound, not a dropout. So the
    // pace counts from the sound asked for after this much.
    static constexpr auto settling = std::chrono::milliseconds(100);
    // Lateness up to this many buffers is jitter the server's own buffering covers.
    static constexpr int late_buffers_allowed = 2;

    int rate_ = 0;
    Clock::time_point first_{};
    long long frames_ = 0;
    // How far the asks have run behind the pace at best since it last started.
    Clock::duration least_behind_{};
};

} // namespace media
