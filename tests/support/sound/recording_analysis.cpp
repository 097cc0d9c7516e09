#include "recording_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <numbers>

namespace {

constexpr std::size_t shortest_gap = 16; // frames
constexpr double largest_step_error = 100;
// About -54 dBFS: below the first sample of either hit sound but one.
constexpr int loud = 64;
constexpr double quiet_before_onset = 0.002; // seconds
constexpr auto close_by = std::chrono::milliseconds(200);
constexpr auto timeline_slack = std::chrono::milliseconds(20);

} // namespace

Dropouts dropouts_in_tone(std::span<const std::int16_t> x, double rate, double tone_hz)
{
    std::size_t first = 0;
    while (first < x.size() && x[first] == 0)
        ++first;
    std::size_t last = x.size();
    while (last > first && x[last - 1] == 0)
        --last;

    Dropouts found;
    found.tone_frames = last - first;
    const double twice_cos = 2 * std::cos(2 * std::numbers::pi * tone_hz / rate);
    for (std::size_t i = first; i < last; ++i) {
        std::size_t run = 0;
        while (i + run < last && x[i + run] == 0)
            ++run;
        if (run >= shortest_gap) {
            ++found.gaps;
            found.silent_frames += run;
            found.longest_gap = std::max(found.longest_gap, run);
            i += run;
        } else if (i >= first + 2 && x[i] != 0 && x[i - 1] != 0 && x[i - 2] != 0) {
            // A sampled sine obeys x[n] = 2 cos(w) x[n-1] - x[n-2].
            found.breaks += std::abs(x[i] - (twice_cos * x[i - 1] - x[i - 2])) > largest_step_error;
        }
    }
    return found;
}

std::optional<std::size_t> onset(std::span<const std::int16_t> x, std::size_t from, std::size_t to, double rate)
{
    const auto quiet_needed = static_cast<std::size_t>(quiet_before_onset * rate);
    const std::size_t look_from = from > quiet_needed ? from - quiet_needed : 0;
    std::size_t quiet = look_from == 0 ? quiet_needed : 0;
    for (std::size_t i = look_from; i < std::min(to, x.size()); ++i) {
        if (std::abs(x[i]) < loud) {
            ++quiet;
            continue;
        }
        if (i >= from && quiet >= quiet_needed)
            return i;
        quiet = 0;
    }
    return std::nullopt;
}

std::vector<std::int16_t> as_heard(std::span<const std::int16_t> sound, int rate, int sink_rate)
{
    const auto first = std::find_if(sound.begin(), sound.end(), [](std::int16_t x) { return std::abs(x) >= loud; });
    const auto from = static_cast<std::size_t>(first - sound.begin());
    std::vector<std::int16_t> heard;
    for (std::size_t i = 0;; ++i) {
        const std::size_t at = from + i * static_cast<std::size_t>(rate) / static_cast<std::size_t>(sink_rate);
        if (at >= sound.size())
            return heard;
        heard.push_back(sound[at]);
    }
}

std::size_t silent_frames_inside(std::span<const std::int16_t> recording, std::size_t at,
                                 std::span<const std::int16_t> hit, int rate)
{
    const auto window = static_cast<std::size_t>(rate / 1000);
    const auto any = [](std::span<const std::int16_t> x, int level) {
        return std::any_of(x.begin(), x.end(), [level](std::int16_t v) { return std::abs(v) >= level; });
    };
    std::size_t silent = 0;
    for (std::size_t from = 0; from + window <= hit.size(); from += window) {
        const std::size_t in_recording = std::min(recording.size(), at + from);
        const std::size_t heard = std::min(window, recording.size() - in_recording);
        if (any(hit.subspan(from, window), loud) && !any(recording.subspan(in_recording, heard), 1))
            silent += window;
    }
    return silent;
}

ArrivalTimeline::Clock::duration ArrivalTimeline::frames_long(std::size_t frames) const
{
    return std::chrono::round<Clock::duration>(std::chrono::duration<double>(static_cast<double>(frames) / rate_));
}

ArrivalTimeline::Clock::time_point ArrivalTimeline::first_frame_time(Arrivals::const_iterator from) const
{
    if (from == arrivals_.end())
        from = std::prev(arrivals_.end());
    const auto until = from->at + close_by;
    Clock::time_point soonest = Clock::time_point::max();
    for (auto a = from; a != arrivals_.end() && a->at <= until; ++a)
        soonest = std::min(soonest, a->at - frames_long(a->frames - 1));
    return soonest;
}

ArrivalTimeline::Clock::time_point ArrivalTimeline::time_of(std::size_t frame) const
{
    const auto holding = std::partition_point(arrivals_.begin(), arrivals_.end(),
                                              [frame](const Arrival& a) { return a.frames <= frame; });
    return first_frame_time(holding) + frames_long(frame);
}

std::size_t ArrivalTimeline::frame_at(Clock::time_point time) const
{
    const auto after = std::partition_point(arrivals_.begin(), arrivals_.end(),
                                            [time](const Arrival& a) { return a.at < time; });
    const Clock::time_point first = first_frame_time(after);
    if (time <= first)
        return 0;
    return static_cast<std::size_t>(std::llround(std::chrono::duration<double>(time - first).count() * rate_));
}

std::optional<ArrivalTimeline::Clock::duration> time_to_onset(std::span<const std::int16_t> sound,
                                                              const ArrivalTimeline& timeline,
                                                              ArrivalTimeline::Clock::time_point at,
                                                              ArrivalTimeline::Clock::duration window,
                                                              double rate)
{
    const auto found = onset(sound, timeline.frame_at(at - timeline_slack), timeline.frame_at(at + window), rate);
    if (!found)
        return std::nullopt;
    return timeline.time_of(*found) - at;
}
