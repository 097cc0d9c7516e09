#pragma once

#include <algorithm>
#include <chrono>
#include <optional>

namespace media {

// When the sound output opens, rests, is tried again and is given up as lost,
// from what happened and when. The sound thread carries it out; the clock is
// the caller's, so a test runs an hour of it in a moment.
class OutputRules {
public:
    using Clock = std::chrono::steady_clock;
    enum class Step { wait, open, close };
    enum class Output { untried, closed, open, missing };
    struct Signs {
        // The sound library said the output went away.
        bool removed = false;
        // When the mixer was last asked for sound, where a driver never says
        // its server went away but stops asking.
        std::optional<Clock::time_point> mixed_at{};
    };

    // Long enough that a player pausing between hits keeps the output, short
    // enough that a game left at its title soon costs the sound server nothing.
    static constexpr auto quiet_before_letting_go = std::chrono::seconds(2);
    // How often an output that cannot be had is tried, and an open one checked, in a round.
    static constexpr auto retry_every = std::chrono::seconds(1);
    static constexpr auto longest_pause_in_mixing = std::chrono::milliseconds(500);
    // A server just started was seen to hold a new stream back for a second: no lost server.
    static constexpr auto settling = std::chrono::milliseconds(1500);
    // A healthy output closes in milliseconds; a hung server would hold the program's end.
    static constexpr auto wait_for_thread_at_end = std::chrono::milliseconds(300);

    // Opens at once, so that the sounds are loaded before the first round.
    explicit OutputRules(Clock::time_point now) : quiet_from_(now), try_again_at_(now) {}

    // In a round, plays must sound at once; its start checks the output at once.
    void keep_ready(bool ready, Clock::time_point now)
    {
        ready_ = ready;
        check_at_ = now;
    }
    void played(Clock::time_point now, Clock::duration length) { quiet_from_ = std::max(quiet_from_, now + length); }
    void opened(bool ok, Clock::time_point now);
    void closed(Clock::time_point now)
    {
        output_ = Output::closed;
        try_again_at_ = now;
    }

    Output output() const { return output_; }
    bool ready() const { return ready_; }
    Step decide(Clock::time_point now, const Signs& signs);
    // When `decide` may say otherwise, with nothing else happening.
    Clock::time_point wake_at() const;

private:
    Output output_ = Output::untried;
    bool ready_ = false;
    Clock::time_point quiet_from_;
    Clock::time_point opened_at_{};
    Clock::time_point try_again_at_;
    Clock::time_point check_at_{};
};

} // namespace media
