// What the game costs while nobody plays, with a private PulseAudio and then a
// private PipeWire, each with a null sink suspended when nothing plays into
// it: the sound server's and the game's CPU time and the sink's state, over a
// while at the title and over a while after a round; how soon the first hit
// after a long idle sounds, next to hits in mid-round; and what is heard after
// the server is killed, absent or hung. Prints what it sees; never judges it.
// Needs the packages sound_server.h names.
//   zumbrel_idle_cost_bench [seconds] [program] [data-dir]
#include "bench/monitor_recording.h"
#include "bench/process_stats.h"
#include "bench/sound_faults.h"
#include "bench/sound_server.h"
#include "bench/recording_analysis.h"
#include "bench/summary.h"
#include "bench/x_game.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = XGame::Clock;
using std::chrono::milliseconds;
// The game may keep its device for about 2 s after the last sound, and the
// sink suspends a second after that: the watch starts once both had time.
constexpr auto quiet_before_watching = std::chrono::seconds(5);
constexpr auto reaction = milliseconds(300);
constexpr auto between_measured_hits = milliseconds(500);
constexpr int fast_hits = 100;
constexpr int measured_hits = 30;

void print_watch(const char* what, const SoundServer& pulse, const XGame* game, int seconds)
{
    const long server_before = pulse.cpu_ticks();
    const long game_before = game ? cpu_ticks(game->pid()) : 0;
    std::map<std::string, int> states;
    for (int second = 0; second < seconds; ++second) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        ++states[pulse.sink_state()];
    }
    std::string seen;
    for (const auto& [state, count] : states)
        seen += (seen.empty() ? "" : ", ") + state + " " + std::to_string(count) + "/" + std::to_string(seconds);
    std::printf("%-20s %-24s %7ld ticks", what, seen.c_str(), pulse.cpu_ticks() - server_before);
    if (game)
        std::printf(" %7ld ticks %8d %10s\n", cpu_ticks(game->pid()) - game_before, pulse.streams(),
                    has_sdl_audio_thread(game->pid()) ? "open" : "closed");
    else
        std::printf("\n");
    std::fflush(stdout);
}

void tap(XGame& game, Clock::duration held)
{
    game.space_bar(true);
    std::this_thread::sleep_for(held);
    game.space_bar(false);
}

struct Round {
    Clock::time_point first_hit{};
    std::vector<Clock::time_point> mid_round{};
};

// One round of 200 hits: the first a player's reaction after Start, then fast
// ones with a few alone among them, each after a silence, to be timed.
Round play_round(XGame& game)
{
    game.click(start_button_area);
    if (!game.next_drawing({start_button_area}, std::chrono::seconds(2)))
        give_up("the Start button did not react to a click");
    std::this_thread::sleep_for(reaction);
    Round round;
    round.first_hit = Clock::now();
    tap(game, milliseconds(30));
    std::this_thread::sleep_for(between_measured_hits);
    for (int hit = 0; hit < fast_hits; ++hit) {
        tap(game, milliseconds(10));
        std::this_thread::sleep_for(milliseconds(10));
    }
    // Spaced at random by up to 20 ms, more than SDL's longest buffer, so that
    // the presses fall at every point of its mixing cycle.
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> extra_ms(0, 20);
    for (int hit = 0; hit < measured_hits; ++hit) {
        std::this_thread::sleep_for(between_measured_hits + milliseconds(extra_ms(random)));
        round.mid_round.push_back(Clock::now());
        tap(game, milliseconds(30));
    }
    std::this_thread::sleep_for(between_measured_hits);
    // The 200th hit ends the round. Waiting for Start to be drawn again would
    // not tell: its earlier drawings are still queued from the click.
    for (int hit = 1 + fast_hits + measured_hits; hit < 200; ++hit) {
        tap(game, milliseconds(10));
        std::this_thread::sleep_for(milliseconds(10));
    }
    return round;
}

std::optional<double> first_sample_after(const MonitorRecording& recording, Clock::time_point pressed)
{
    const auto latency = time_to_onset(recording.left(), recording.timeline(), pressed,
                                       between_measured_hits - milliseconds(20), MonitorRecording::rate);
    if (!latency)
        return std::nullopt;
    return millis(*latency);
}

// The median of a few reads of where the server says the game's sound waits,
// taken while its stream still plays.
std::optional<SoundServer::StreamLatency> read_stream_latency(const SoundServer& server)
{
    std::vector<double> buffer, sink;
    for (int read = 0; read < 5; ++read) {
        if (const auto latency = server.stream_latency()) {
            buffer.push_back(latency->buffer_ms);
            sink.push_back(latency->sink_ms);
        }
        std::this_thread::sleep_for(milliseconds(100));
    }
    if (buffer.empty())
        return std::nullopt;
    return SoundServer::StreamLatency{median(buffer), median(sink)};
}

// With no driver named, the game picks its own, as for a player.
void measure_idle(SoundServer::Kind kind, const char* driver, const Xvfb& x, int seconds,
                  const std::string& program, const std::string& data_dir)
{
    const SoundServer pulse(kind);
    std::printf("== %s null sink%s%s%s, suspended %d s after the last sound; Xvfb %s\n"
                "each row: %d s, begun %lld s after the last sound; the sink's state read once a second;\n"
                "CPU in ticks of 1/%ld s\n\n",
                pulse.name(), SoundServer::realtime_servers() ? ", real-time" : "", driver ? ", SDL's driver " : "",
                driver ? driver : "", SoundServer::suspend_after_seconds,
                qPrintable(x.name()), seconds,
                static_cast<long long>(quiet_before_watching.count()), sysconf(_SC_CLK_TCK));
    std::printf("%-20s %-24s %13s %13s %8s %10s\n", "", "sink state", "server CPU", "game CPU", "streams",
                "SDL device");
    std::this_thread::sleep_for(quiet_before_watching);
    print_watch("sound server alone", pulse, nullptr, seconds);

    QProcessEnvironment env = pulse.client_env();
    if (driver)
        env.insert("SDL_AUDIODRIVER", driver);
    else
        env.remove("SDL_AUDIODRIVER");
    XGame game(x, game_program(program, data_dir, env));
    const auto title_shown = Clock::now();
    std::this_thread::sleep_for(quiet_before_watching);
    print_watch("game at its title", pulse, &game, seconds);

    MonitorRecording recording(pulse);
    const Round round = play_round(game);
    const bool through_pulse = pulse.streams_through_pulse();
    const auto waits = read_stream_latency(pulse);
    recording.stop();
    std::this_thread::sleep_for(quiet_before_watching);
    print_watch("game after a round", pulse, &game, seconds);

    std::printf("\nkey press -> the hit's first sample in the sink (its monitor recorded meanwhile, "
                "which keeps the sink awake):\n");
    const auto first = first_sample_after(recording, round.first_hit);
    std::printf("first hit, %lld ms after Start, %.0f s after the title showed: ",
                static_cast<long long>(reaction.count()), std::chrono::duration<double>(round.first_hit - title_shown).count());
    if (first)
        std::printf("%.1f ms\n", *first);
    else
        std::printf("unheard\n");
    std::vector<double> mid_round;
    for (const Clock::time_point pressed : round.mid_round)
        if (const auto latency = first_sample_after(recording, pressed))
            mid_round.push_back(*latency);
    print_summary("hits in mid-round", mid_round, "ms");
    std::printf("hits in mid-round unheard: %zu of %zu\n", round.mid_round.size() - mid_round.size(),
                round.mid_round.size());
    std::printf("where the sound waits, as the server reports it after the round (median of 5 reads), "
                "beside SDL's own buffer:\n");
    if (waits)
        std::printf("the game's stream (%s): %.1f ms in its buffer, then %.1f ms in the sink\n\n",
                    kind == SoundServer::Kind::pipewire ? (through_pulse ? "through pipewire-pulse" : "PipeWire's own")
                                                        : "PulseAudio",
                    waits->buffer_ms, waits->sink_ms);
    else
        std::printf("the server does not report it\n\n");
}

void print_faults(SoundServer::Kind kind, const Xvfb& x, const std::string& program, const std::string& data_dir)
{
    std::printf("%s:\n%-34s %12s %12s %16s %s\n", SoundServer::name(kind), "fault", "heard after", "reopened",
                "game CPU away", "end");
    for (const SoundFault fault :
         {SoundFault::killed_mid_round, SoundFault::killed_at_title, SoundFault::absent_at_start, SoundFault::hung_then_closed,
                                           SoundFault::hung_then_sigterm}) {
        const SoundFaultOutcome o = play_through(fault, kind, x, program, data_dir);
        std::printf("%-34s ", describe(fault));
        if (o.end) {
            std::printf("%12s %12s %16s %s after %.0f ms, exit %d\n", "-", "-", "-",
                        o.end->timed_out ? "still running" : o.end->crashed ? "crashed" : "ended", o.end_ms,
                        o.end->exit_code);
        } else {
            const std::string away = o.away_ticks < 0 ? "-" : std::to_string(o.away_ticks) + " in " +
                                                                  std::to_string(away_seconds) + " s";
            std::printf("%6d of %-3d %9.0f ms %16s -\n", o.heard, o.hits, o.reopened_ms.value_or(-1), away.c_str());
        }
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    const std::string program = argc > 2 ? argv[2] : ZUMBREL_PROGRAM;
    const std::string data_dir = argc > 3 ? argv[3] : ZUMBREL_DATA_DIR;

    const Xvfb x;
    measure_idle(SoundServer::Kind::pulseaudio, nullptr, x, seconds, program, data_dir);
    measure_idle(SoundServer::Kind::pipewire, nullptr, x, seconds, program, data_dir);
    // The driver the game does not pick there, for the comparison.
    measure_idle(SoundServer::Kind::pipewire, "pulseaudio", x, seconds, program, data_dir);
    std::printf("the sound server failing, then hits %d ms apart (reopened: from the server back to the game's "
                "stream in it):\n", 250);
    for (const auto kind : {SoundServer::Kind::pulseaudio, SoundServer::Kind::pipewire,
                            SoundServer::Kind::pulseaudio_beside_pipewire})
        print_faults(kind, x, program, data_dir);
}
