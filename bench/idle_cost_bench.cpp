// The real game with a private PulseAudio and then a private PipeWire, each
// with a null sink suspended a second after the last sound: what the game
// costs at its title (the sink's state, the server's and the game's CPU
// time); then rounds as a player plays them, each in a new game, timing every
// key press to its hit's first sample in the sink (its monitor recorded) and
// counting the sound lost inside hits; then what is heard after the server is
// killed, absent or hung. With "busy", a loop on each core during the rounds.
// Prints what it sees; never judges it. Needs the packages sound_server.h names.
//   zumbrel_idle_cost_bench [rounds] [quiet|busy] [program] [data-dir]
#include "monitor_recording.h"
#include "process_stats.h"
#include "recording_analysis.h"
#include "sound_faults.h"
#include "sound_server.h"
#include "desktop.h"
#include "summary.h"
#include "wav_reader.h"
#include "x_session.h"

#include <QFile>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
// The game keeps its output 2 s after the last sound, and the sink suspends a
// second after that: the watch starts once both had time.
constexpr auto quiet_before_watching = std::chrono::seconds(5);
constexpr int watch_seconds = 10;
constexpr auto reaction = milliseconds(300);
constexpr int presses = 40;
constexpr auto between_presses = milliseconds(250);
constexpr int jitter_ms = 20;
constexpr int rate = MonitorRecording::rate;

void print_watch(const char* what, const SoundServer& server, const Desktop& game)
{
    std::this_thread::sleep_for(quiet_before_watching);
    const auto pid = pid_t(game.game()->processId());
    const long server_before = server.cpu_ticks();
    const long game_before = cpu_ticks(pid);
    std::map<std::string, int> states;
    for (int second = 0; second < watch_seconds; ++second) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        ++states[server.sink_state()];
    }
    std::string seen;
    for (const auto& [state, count] : states)
        seen += (seen.empty() ? "" : ", ") + state + " " + std::to_string(count) + "/" + std::to_string(watch_seconds);
    std::printf("%s: sink %s; server %ld ticks, game %ld ticks of 1/%ld s in %d s\n", what, seen.c_str(),
                server.cpu_ticks() - server_before, cpu_ticks(pid) - game_before, sysconf(_SC_CLK_TCK),
                watch_seconds);
}

struct Round {
    std::vector<double> latencies; // ms
    int unheard = 0;
    std::size_t lost_in_hits = 0; // frames
    bool reopened = false;
};

// The hits as heard, by cue: the first hit of a round plays sh-hit2, then they alternate.
using Hits = std::vector<std::vector<std::int16_t>>;

Hits hits_as_heard(const QString& data_dir)
{
    Hits hits;
    for (const char* name : {"/sh-hit2.wav", "/sh-hit1.wav"}) {
        QFile file(data_dir + name);
        const WavFile wav = file.open(QIODevice::ReadOnly) ? read_wav(file.readAll()) : WavFile{};
        if (!wav.problem.isEmpty() || wav.channels != 1)
            give_up("the data folder holds no hit sounds of the game's");
        hits.push_back(as_heard(wav.samples, static_cast<int>(wav.sample_rate), rate));
    }
    return hits;
}

Round play_round(Desktop& game, const SoundServer& server, const Hits& hits)
{
    MonitorRecording recording(server);
    if (!game.start_round())
        give_up("the Start button did not react to a click");
    std::this_thread::sleep_for(reaction);
    const std::vector<std::string> streams = server.streams();
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> extra(0, jitter_ms);
    std::vector<Clock::time_point> pressed;
    for (int press = 0; press < presses; ++press) {
        pressed.push_back(Clock::now());
        game.hold("space", 30);
        std::this_thread::sleep_for(between_presses - milliseconds(30) + milliseconds(extra(random)));
    }
    Round round;
    round.reopened = server.streams() != streams;
    recording.stop();
    for (std::size_t i = 0; i < pressed.size(); ++i) {
        const auto latency =
            time_to_onset(recording.left(), recording.timeline(), pressed[i], between_presses - milliseconds(20), rate);
        if (!latency) {
            ++round.unheard;
            continue;
        }
        round.latencies.push_back(millis(*latency));
        const std::size_t at = recording.timeline().frame_at(pressed[i] + *latency);
        if (const auto begins = onset(recording.left(), at > 240 ? at - 240 : 0, at + 240, rate))
            round.lost_in_hits += silent_frames_inside(recording.left(), *begins, hits[i % 2], rate);
    }
    return round;
}

// A new game on the bare X server.
std::unique_ptr<Desktop> new_game(const SoundServer& server, const QString& program, const QString& data_dir)
{
    auto game = make_desktop("x11", program, data_dir);
    QProcessEnvironment env = server.client_env(game->environment());
    env.remove("SDL_AUDIODRIVER");
    if (!game->isValid() || !game->start_game(env))
        give_up("the game's window did not show");
    return game;
}

void measure(SoundServer::Kind kind, int rounds, bool busy_machine, const QString& program, const QString& data_dir,
             const Hits& hits)
{
    const SoundServer server(kind);
    std::printf("== %s null sink%s, suspended %d s after the last sound\n", server.name(),
                SoundServer::realtime_servers() ? ", real-time" : "", SoundServer::suspend_after_seconds);
    print_watch("at the title", server, *new_game(server, program, data_dir));
    std::vector<std::unique_ptr<ChildProcess>> busy;
    for (unsigned core = 0; busy_machine && core < std::max(1u, std::thread::hardware_concurrency()); ++core)
        busy.push_back(std::make_unique<ChildProcess>(QStringList{"sh", "-c", "while :; do :; done"}));
    std::printf("%d rounds of %d presses %lld to %lld ms apart, each in a new game, %zu busy loops; key press -> "
                "the hit's first sample:\n",
                rounds, presses, static_cast<long long>(between_presses.count()),
                static_cast<long long>(between_presses.count()) + jitter_ms, busy.size());
    std::size_t lost = 0;
    for (int r = 1; r <= rounds; ++r) {
        const Round round = play_round(*new_game(server, program, data_dir), server, hits);
        lost += round.lost_in_hits;
        const double max = round.latencies.empty() ? 0 : percentile(round.latencies, 100);
        std::printf("round %d: median %.1f ms, p99 %.1f ms, max %.1f ms; %d of %d unheard; %.1f ms lost in hits; "
                    "output %s\n",
                    r, median(round.latencies), percentile(round.latencies, 99), max, round.unheard, presses,
                    1000.0 * static_cast<double>(round.lost_in_hits) / rate,
                    round.reopened ? "opened again during the round" : "kept");
        std::fflush(stdout);
    }
    std::printf("lost in hits over the rounds: %.1f ms\n\n", 1000.0 * static_cast<double>(lost) / rate);
}

void print_faults(SoundServer::Kind kind, const QString& program, const QString& data_dir)
{
    std::printf("%s:\n%-34s %12s %12s %16s %s\n", SoundServer::name(kind), "fault", "heard after", "reopened",
                "game CPU away", "end");
    for (const SoundFault fault : {SoundFault::killed_mid_round, SoundFault::killed_at_title, SoundFault::absent_at_start,
                                   SoundFault::hung_then_closed, SoundFault::hung_then_sigterm}) {
        const SoundFaultOutcome o = play_through(fault, kind, program, data_dir);
        std::printf("%-34s ", describe(fault));
        if (o.end) {
            std::printf("%12s %12s %16s %s after %.0f ms, exit %d\n", "-", "-", "-",
                        o.end->timed_out ? "still running" : o.end->crashed ? "crashed" : "ended", o.end_ms,
                        o.end->exit_code);
        } else {
            const std::string away =
                o.away_ticks < 0 ? "-" : std::to_string(o.away_ticks) + " in " + std::to_string(away_seconds) + " s";
            std::printf("%6d of %-3d %9.0f ms %16s -\n", o.heard, o.hits, o.reopened_ms.value_or(-1), away.c_str());
        }
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    const bool busy_machine = argc > 2 && std::string(argv[2]) == "busy";
    const QString program = argc > 3 ? argv[3] : ZUMBREL_PROGRAM;
    const QString data_dir = argc > 4 ? argv[4] : ZUMBREL_DATA_DIR;
    const Hits hits = hits_as_heard(data_dir);

    for (const auto kind : {SoundServer::Kind::pulseaudio, SoundServer::Kind::pipewire})
        measure(kind, rounds, busy_machine, program, data_dir, hits);
    if (busy_machine)
        return 0;
    std::printf("the sound server failing, then hits 250 ms apart (reopened: from the server back to the game's "
                "stream in it):\n");
    for (const auto kind :
         {SoundServer::Kind::pulseaudio, SoundServer::Kind::pipewire, SoundServer::Kind::pulseaudio_beside_pipewire})
        print_faults(kind, program, data_dir);
}
