#pragma once

#include <chrono>

namespace media {

// Tells from when the mixer is asked for each buffer whether the sound server
// ran dry. A server that keeps playing asks at the pace of its clock; one that
// ran dry played silence meanwhile, and from then on asks that much later.
// So a buffer asked for later than the usual allows is a dropout, and the
// usual is taken from it on. Used from the mixing thread alone.
class MixingPace {
public:
    using Clock = std::chrono::steady_clock;

    // A new output, mixing `rate` frames a second. Lateness in its first
    // `settling` is not counted: a server just started may hold a new stream
    // back for a second, which is silence before any sound, not a dropout.
    void restart(int rate, Clock::duration settling);
    // The mixer was asked for `frames` more at `at`. Whether the server ran dry
    // before it.
    bool mixed(int frames, Clock::time_point at);

private:
    Clock::duration duration_of(long long frames) const;

    // A server that ran dry played at least a buffer of silence; lateness
    // short of that is jitter. Allowing two buffers missed most dropouts of
    // the smallest buffer, which are one buffer long.
    static constexpr int late_buffers_allowed = 1;
    // A millisecond a second, ten times a sound card's clock's worst.
    static constexpr int slowest_drift = 1000;

    int rate_ = 0;
    Clock::duration settling_{};
    Clock::time_point first_{};
    Clock::time_point last_{};
    long long frames_ = 0;
    // How far behind the pace the asks have come at most, without a dropout
    // or since the last one: jitter and the clocks' drift.
    Clock::duration usual_lateness_{};
};

} // namespace media
