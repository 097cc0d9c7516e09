#include "media/mixing_pace.h"

#include <algorithm>

namespace media {

void MixingPace::restart(int rate)
{
    rate_ = rate;
    frames_ = 0;
}

bool MixingPace::mixed(int frames, Clock::time_point at)
{
    if (frames_ == 0) {
        first_ = at;
        least_behind_ = Clock::duration::zero();
    }
    const auto played = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(double(frames_) / rate_));
    const Clock::duration behind = (at - first_) - played;
    frames_ += frames;
    if (played < settling) {
        least_behind_ = behind;
        return false;
    }
    const auto allowed = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(double(late_buffers_allowed * frames) / rate_));
    if (behind > least_behind_ + allowed) {
        least_behind_ = behind;
        return true;
    }
    least_behind_ = std::min(least_behind_, behind);
    return false;
}

} // namespace media
