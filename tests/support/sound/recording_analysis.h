#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// What a recording of a steady sine lost. A sine never holds zero for more
// than a sample, so a run of zeros inside it is sound the player failed to
// deliver; a jump in the sine with no silence is sound the recorder dropped,
// which says nothing about the player.
struct Dropouts {
    std::size_t tone_frames = 0; // from the tone's first sound to its last
    int gaps = 0;
    std::size_t silent_frames = 0;
    std::size_t longest_gap = 0;
    int breaks = 0;
};

// The tone starts after the recorder and stops before it.
Dropouts dropouts_in_tone(std::span<const std::int16_t> tone, double rate, double tone_hz);

// Where a sound begins in [from, to): the first loud frame after at least
// 2 ms of quiet (the start of the recording counts as quiet). Nothing if no
// sound begins there.
std::optional<std::size_t> onset(std::span<const std::int16_t> sound, std::size_t from, std::size_t to,
                                 double rate);

// A mono sound at `rate` as the sink makes it at `sink_rate`, from its first
// loud sample on, so that it lines up with the onset found in a recording.
std::vector<std::int16_t> as_heard(std::span<const std::int16_t> sound, int rate, int sink_rate);

// The sound lost from a hit heard from `at` on: each millisecond in which the
// hit as played (`as_heard`) sounds but the recording holds nothing at all.
// A hit cut short loses its rest.
std::size_t silent_frames_inside(std::span<const std::int16_t> recording, std::size_t at,
                                 std::span<const std::int16_t> hit, int rate);

// Places the frames of a recording made while it arrived on steady_clock.
// The sink makes sound at the pace of the clock, a few milliseconds of it at
// once, so the piece that arrived soonest after the sink made its last frame
// tells best where the others lie. But the sink's place in the recording
// shifts by a few milliseconds whenever a stream comes or goes and the sink
// makes again what it had made ahead, so only pieces close by count.
class ArrivalTimeline {
public:
    using Clock = std::chrono::steady_clock;

    explicit ArrivalTimeline(double rate) : rate_(rate) {}

    // The recording held this many frames when a piece arrived. The times
    // below need one piece at least.
    void add(std::size_t frames, Clock::time_point at) { arrivals_.push_back({frames, at}); }
    // When the sink made the frame, to within the sound it makes at once.
    Clock::time_point time_of(std::size_t frame) const;
    // The frame the sink made at that time.
    std::size_t frame_at(Clock::time_point time) const;

private:
    struct Arrival {
        std::size_t frames = 0;
        Clock::time_point at{};
    };
    using Arrivals = std::vector<Arrival>;

    Clock::duration frames_long(std::size_t frames) const;
    Clock::time_point first_frame_time(Arrivals::const_iterator from) const;

    double rate_ = 0;
    Arrivals arrivals_{};
};

// From `at` to the first sound that begins in the recording within `window`
// after it; nothing if none does. The search starts a little before `at`, as
// the timeline is good only to a few milliseconds.
std::optional<ArrivalTimeline::Clock::duration> time_to_onset(std::span<const std::int16_t> sound,
                                                              const ArrivalTimeline& timeline,
                                                              ArrivalTimeline::Clock::time_point at,
                                                              ArrivalTimeline::Clock::duration window,
                                                              double rate);
