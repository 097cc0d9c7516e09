#include "sound_faults.h"

#include "monitor_recording.h"
#include "process_stats.h"
#include "recording_analysis.h"
#include "desktop.h"
#include "app/layout.h"
#include "summary.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <memory>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
constexpr int hits_after = 10;
// Longer than a hit sound, so that each begins after silence.
constexpr auto between_hits = milliseconds(250);

void tap(Desktop& game)
{
    game.hold("space", 30);
    std::this_thread::sleep_for(between_hits - milliseconds(30));
}

void start_round(Desktop& game)
{
    if (!game.start_round())
        give_up("the Start button did not react to a click");
}

// When the game's stream plays into the sink again, from `since`.
std::optional<double> wait_for_stream(const SoundServer& server, Clock::time_point since,
                                      Clock::duration patience = reopen_patience)
{
    while (Clock::now() < since + patience) {
        if (!server.streams().empty())
            return millis(Clock::now() - since);
        std::this_thread::sleep_for(milliseconds(20));
    }
    return std::nullopt;
}

int sounds_in(const MonitorRecording& recording)
{
    const auto& left = recording.left();
    const auto skip = static_cast<std::size_t>(MonitorRecording::rate / 5);
    int sounds = 0;
    std::size_t from = 0;
    while (const auto at = onset(left, from, left.size(), MonitorRecording::rate)) {
        ++sounds;
        from = *at + skip;
    }
    return sounds;
}

// Plays hits into a recording of the sink and counts what sounded.
void count_hits(Desktop& game, const SoundServer& server, SoundFaultOutcome& outcome)
{
    // The stream shows in the server a little before the game's output is open.
    // And a PulseAudio started a moment before pauses its first stream for
    // about a second (a new server, with its sink just made, is no player's).
    std::this_thread::sleep_until(std::max(Clock::now() + milliseconds(500), server.started_at() + milliseconds(1500)));
    outcome.through_pulse = server.kind() == SoundServer::Kind::pipewire && server.streams_through_pulse();
    MonitorRecording recording(server);
    for (int hit = 0; hit < hits_after; ++hit)
        tap(game);
    std::this_thread::sleep_for(milliseconds(200));
    recording.stop();
    outcome.hits = hits_after;
    outcome.heard = sounds_in(recording);
}

long ticks_over_away_time(const Desktop& game)
{
    const auto pid = pid_t(game.game()->processId());
    const long before = cpu_ticks(pid);
    std::this_thread::sleep_for(std::chrono::seconds(away_seconds));
    return cpu_ticks(pid) - before;
}

} // namespace

const char* describe(SoundFault fault)
{
    switch (fault) {
    case SoundFault::killed_mid_round: return "killed mid-round, back 1 s later";
    case SoundFault::killed_at_title: return "killed at the title, back, Start";
    case SoundFault::absent_at_start: return "absent at start, then started";
    case SoundFault::hung_then_closed: return "hung mid-round, then the close box";
    case SoundFault::hung_then_sigterm: return "hung mid-round, then SIGTERM";
    }
    return "";
}

SoundFaultOutcome play_through(SoundFault fault, SoundServer::Kind kind, const QString& program, const QString& data_dir)
{
    SoundServer server(kind, fault != SoundFault::absent_at_start);
    const auto desktop = make_desktop("x11", program, data_dir);
    Desktop& game = *desktop;
    QProcessEnvironment env = server.client_env(game.environment());
    env.remove("SDL_AUDIODRIVER");
    if (!game.isValid() || !game.start_game(env))
        give_up("the game's window did not show");
    SoundFaultOutcome outcome;
    // The game opens its output once its window shows, and holds it two seconds.
    if (fault != SoundFault::absent_at_start && !wait_for_stream(server, Clock::now(), std::chrono::seconds(10)))
        give_up("the game's output never reached the sound server");

    switch (fault) {
    case SoundFault::killed_mid_round: {
        start_round(game);
        for (int hit = 0; hit < 3; ++hit)
            tap(game);
        server.kill();
        outcome.away_ticks = ticks_over_away_time(game);
        server.start();
        outcome.reopened_ms = wait_for_stream(server, Clock::now());
        break;
    }
    case SoundFault::killed_at_title: {
        server.kill();
        server.start();
        // A player who starts a round at once, with the game still holding its old output.
        const auto back = Clock::now();
        start_round(game);
        outcome.reopened_ms = wait_for_stream(server, back);
        break;
    }
    case SoundFault::absent_at_start: {
        outcome.away_ticks = ticks_over_away_time(game);
        server.start();
        // Between rounds the game leaves the server alone.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        outcome.streams_before_start = static_cast<int>(server.streams().size());
        const auto back = Clock::now();
        start_round(game);
        outcome.reopened_ms = wait_for_stream(server, back);
        break;
    }
    case SoundFault::hung_then_closed:
    case SoundFault::hung_then_sigterm: {
        start_round(game);
        tap(game);
        server.hang(true);
        tap(game);
        const bool closed = fault == SoundFault::hung_then_closed;
        if (closed)
            game.click(game.window().topLeft() + layout::close_box.center());
        const auto asked = Clock::now();
        outcome.end = game.end_game(closed ? 0 : SIGTERM, 5000);
        outcome.end_ms = millis(Clock::now() - asked);
        return outcome;
    }
    }
    if (outcome.reopened_ms)
        count_hits(game, server, outcome);
    return outcome;
}
