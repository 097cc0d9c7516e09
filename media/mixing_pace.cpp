#include "media/mixing_pace.h"

#include <algorithm>

namespace media {

void MixingPace::restart(int rate, Clock::duration settling)
{
    rate_ = rate;
    settling_ = settling;
    frames_ = 0;
}

// In whole clock ticks, so that every machine draws the line at the same
// tick: 32-bit x86's floating point would round differently.
MixingPace::Clock::duration MixingPace::duration_of(long long frames) const
{
    return std::chrono::seconds(frames / rate_)
        + Clock::duration(frames % rate_ * Clock::period::den / (Clock::period::num * rate_));
}

bool MixingPace::mixed(int frames, Clock::time_point at)
{
    if (frames_ == 0) {
        first_ = at;
        usual_lateness_ = Clock::duration::zero();
    }
    const Clock::duration behind = (at - first_) - duration_of(frames_);
    frames_ += frames;
    if (at - first_ < settling_) {
        usual_lateness_ = behind;
        last_ = at;
        return false;
    }
    const bool dropped_out = behind > usual_lateness_ + duration_of(late_buffers_allowed * frames);
    // Asks ahead of time are the server filling its buffer, which it drains
    // again, never the pace; lateness that comes slowly is the clocks' drift.
    const Clock::duration drift = (at - last_) / slowest_drift;
    usual_lateness_ = dropped_out ? behind : std::max(usual_lateness_, std::min(behind, usual_lateness_ + drift));
    last_ = at;
    return dropped_out;
}

} // namespace media
