#include "media/mixing_pace.h"

#include <algorithm>

namespace media {

void MixingPace::restart(int rate, Clock::duration settling)
{
    rate_ = rate;
    settling_ = settling;
    frames_ = 0;
}

bool MixingPace::mixed(int frames, Clock::time_point at)
{
    if (frames_ == 0) {
        first_ = at;
        usual_lateness_ = Clock::duration::zero();
    }
    const auto played = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(double(frames_) / rate_));
    const Clock::duration behind = (at - first_) - played;
    frames_ += frames;
    if (at - first_ < settling_) {
        usual_lateness_ = behind;
        last_ = at;
        return false;
    }
    const auto allowed = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(double(late_buffers_allowed * frames) / rate_));
    const bool dropped_out = behind > usual_lateness_ + allowed;
    // Asks ahead of time are the server filling its buffer, which it drains
    // again, never the pace; lateness that comes slowly is the clocks' drift.
    const Clock::duration drift = (at - last_) / slowest_drift;
    usual_lateness_ = dropped_out ? behind : std::max(usual_lateness_, std::min(behind, usual_lateness_ + drift));
    last_ = at;
    return dropped_out;
}

} // namespace media
