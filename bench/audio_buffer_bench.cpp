// Which mixer buffer keeps up on this machine, settled by a controlled
// comparison: the set-ups played in turn through a private PulseAudio null
// sink whose monitor is recorded, then through a private PipeWire's with SDL's
// own pipewire driver. A set-up is a buffer size and rate SDL's audio is
// opened with as the game opened it before, or the game's own device, which
// picks its buffer itself. Each plays a steady 441 Hz tone on the left channel
// and the hit sound on the right, and counts the silent gaps in the tone.
// With both cores kept busy by the same loop throughout ("busy"), a hit starts
// every 250 to 270 ms, at random, and each is timed from its start to its
// first sample in the sink: the wait for SDL to mix it, then the server's
// part. On a machine left alone ("idle"), hits come ten a second, overlapping,
// and only the gaps are counted. Prints figures; never judges them. Needs the
// packages sound_server.h names; run from the folder holding the hit sound.
//   zumbrel_audio_buffer_bench [seconds] [runs] [busy|idle] [FRAMES[@RATE]|game ...]
#include "bench/monitor_recording.h"
#include "bench/sound_server.h"
#include "bench/recording_analysis.h"
#include "bench/summary.h"
#include "child_process.h"
#include "media/sdl_sound_device.h"
#include "media/sound_server_latency.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
constexpr int sink_rate = SoundServer::sink_rate;
constexpr double tone_hz = 441;
constexpr double tone_level = 6000;
// Longer than the hit sound, so each one starts from silence.
constexpr auto hit_period = std::chrono::milliseconds(250);
// A player's fast hitting, with sounds overlapping, for the gaps alone.
constexpr auto fast_hit_period = std::chrono::milliseconds(100);

struct Tone {
    int rate = 0;
    double phase = 0;
    // The buffer last mixed, in frames.
    int frames = 0;
    // When SDL mixed a buffer in which a hit begins after silence: what the
    // server is handed then is SDL's part of the wait done.
    std::vector<Clock::time_point> hits_mixed{};
    bool right_was_silent = true;
};

// Runs on the mixed buffer just before it goes out: the hit sound keeps the
// right channel, the left becomes the tone.
void SDLCALL play_tone(void* user, Uint8* stream, int bytes)
{
    auto& tone = *static_cast<Tone*>(user);
    auto* const samples = reinterpret_cast<Sint16*>(stream);
    const double step = 2 * std::numbers::pi * tone_hz / tone.rate;
    bool right_silent = true;
    tone.frames = bytes / 4;
    for (int frame = 0; frame < bytes / 4; ++frame) {
        samples[2 * frame] = static_cast<Sint16>(std::lround(tone_level * std::sin(tone.phase)));
        tone.phase = std::fmod(tone.phase + step, 2 * std::numbers::pi);
        right_silent = right_silent && samples[2 * frame + 1] == 0;
    }
    if (tone.right_was_silent && !right_silent && tone.hits_mixed.size() < tone.hits_mixed.capacity())
        tone.hits_mixed.push_back(Clock::now());
    tone.right_was_silent = right_silent;
}

struct Run {
    Dropouts dropouts;
    int last_buffer_frames = 0;
    std::vector<double> latencies; // ms
    std::vector<double> to_mixed;  // ms, of the same hits
    int unheard = 0;
};

struct Played {
    std::vector<Clock::time_point> started;
    std::vector<Clock::time_point> mixed;
    int last_buffer_frames = 0;
};

// No frames: the game's own device, which picks its buffer itself.
struct Size {
    int frames = 0;
    int rate = 0;
    std::vector<Run> runs{};
};

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "zumbrel_audio_buffer_bench: %s: %s\n", what, SDL_GetError());
    std::exit(1);
}

// A hit's sound through SDL as the game opened it before, with the buffer
// under test.
class PlainOutput {
public:
    explicit PlainOutput(const Size& size)
    {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0
            || Mix_OpenAudioDevice(size.rate, AUDIO_S16SYS, 2, static_cast<Uint16>(size.frames), nullptr, 0) != 0)
            fail("cannot open audio");
        Mix_AllocateChannels(1);
        hit_ = Mix_LoadWAV("sh-hit1.wav");
        if (!hit_)
            fail("cannot load sh-hit1.wav");
    }
    ~PlainOutput()
    {
        Mix_HaltChannel(-1);
        Mix_FreeChunk(hit_);
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    PlainOutput(const PlainOutput&) = delete;
    PlainOutput& operator=(const PlainOutput&) = delete;
    void play() { Mix_PlayChannel(0, hit_, 0); }

private:
    Mix_Chunk* hit_ = nullptr;
};

// The game's own device, kept ready as in a round.
class GameOutput {
public:
    GameOutput()
    {
        device_.open("sh-hit1.wav", "p1");
        device_.keep_ready(true);
        if (!device_.wait_for_output(true, std::chrono::seconds(10)))
            fail("the game's device did not open");
    }
    void play() { device_.play_from_start("p1"); }

private:
    media::SdlSoundDevice device_;
};

// Plays for the given time with the given buffer, a hit every `period` and up
// to `jitter` more, at random; returns when each hit was started, and when
// each was mixed.
template <typename Output>
Played play(Output& output, int seconds, Clock::duration period, Clock::duration jitter)
{
    int rate = 0;
    Mix_QuerySpec(&rate, nullptr, nullptr);
    Tone tone{rate};
    // Room for every hit and some, so that SDL's thread never allocates.
    tone.hits_mixed.reserve(static_cast<std::size_t>(seconds * (1s / period)) + 16);
    Mix_SetPostMix(play_tone, &tone);
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<Clock::rep> extra(0, jitter.count());
    std::vector<Clock::time_point> started;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    for (auto next = Clock::now(); next < end; next += period + Clock::duration(extra(random))) {
        std::this_thread::sleep_until(next);
        started.push_back(Clock::now());
        output.play();
    }
    std::this_thread::sleep_for(period);
    Mix_SetPostMix(nullptr, nullptr);
    return {started, tone.hits_mixed, tone.frames};
}

Played play(const Size& size, int seconds, Clock::duration period)
{
    // Random spacing, so that presses fall at every point of a mixing cycle.
    const auto jitter = std::chrono::milliseconds(20);
    // The game's environment for the game's device alone: the outputs as the
    // game opened them before had none.
    if (size.frames == 0) {
        media::set_sound_server_latency();
        GameOutput game;
        return play(game, seconds, period, jitter);
    }
    unsetenv(media::pulseaudio_latency_variable);
    PlainOutput plain(size);
    return play(plain, seconds, period, jitter);
}

// Fast hits overlap, so only the gaps are counted then.
Run measure(const SoundServer& pulse, const Size& size, int seconds, bool fast)
{
    MonitorRecording recording(pulse);
    const Played played = play(size, seconds, fast ? fast_hit_period : hit_period);
    const std::vector<Clock::time_point>& started = played.started;
    // The stream's last buffers reach the sink after it closes.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    recording.stop();

    Run run{dropouts_in_tone(recording.left(), sink_rate, tone_hz), played.last_buffer_frames, {}, {}, 0};
    for (const Clock::time_point t : fast ? std::vector<Clock::time_point>{} : started) {
        // The stream's first second, while SDL and the server settle, is left out.
        if (t < started.front() + std::chrono::seconds(1))
            continue;
        const auto latency = time_to_onset(recording.right(), recording.timeline(), t,
                                           hit_period - std::chrono::milliseconds(20), sink_rate);
        const auto mixed = std::lower_bound(played.mixed.begin(), played.mixed.end(), t);
        if (latency && mixed != played.mixed.end() && *mixed < t + hit_period) {
            run.latencies.push_back(millis(*latency));
            run.to_mixed.push_back(millis(*mixed - t));
        } else {
            ++run.unheard;
        }
    }
    return run;
}

double ms_of(std::size_t frames, int rate = sink_rate)
{
    return 1000.0 * static_cast<double>(frames) / rate;
}

std::string name_of(const Size& size)
{
    if (size.frames == 0)
        return "the game's own device";
    char name[48];
    std::snprintf(name, sizeof name, "%d at %.1f kHz (%.1f ms)", size.frames, size.rate / 1000.0,
                  ms_of(static_cast<std::size_t>(size.frames), size.rate));
    return name;
}

void print_run(int number, const Size& size, const Run& run)
{
    const Dropouts& d = run.dropouts;
    std::printf("run %d, %s: %.1f s of tone, %d silent gaps (%.1f ms, longest %.1f ms), %d recorder breaks; "
                "play -> first sample: median %.1f ms of %zu hits, %d unheard; last buffer %d frames\n",
                number, name_of(size).c_str(), static_cast<double>(d.tone_frames) / sink_rate, d.gaps,
                ms_of(d.silent_frames), ms_of(d.longest_gap), d.breaks, median(run.latencies), run.latencies.size(),
                run.unheard, run.last_buffer_frames);
    std::fflush(stdout);
}

int gaps_in(const Size& size)
{
    int gaps = 0;
    for (const Run& run : size.runs)
        gaps += run.dropouts.gaps;
    return gaps;
}

// Where a hit's time goes: the wait for SDL to mix it, then the server's part
// (its buffers and the sink's), then the total.
void print_table(const std::vector<Size>& sizes)
{
    std::printf("\n%-28s %-14s %5s %11s %16s %16s %16s %8s\n", "buffer", "gaps per run", "all", "sound lost",
                "wait for mix", "server's part", "total", "unheard");
    std::printf("%-28s %-14s %5s %11s %16s %16s %16s\n", "", "", "", "", "median / p99", "median / p99",
                "median / p99");
    for (const Size& size : sizes) {
        std::string per_run;
        std::size_t lost = 0;
        std::vector<double> latencies, to_mixed, in_server;
        int unheard = 0;
        for (const Run& run : size.runs) {
            per_run += (per_run.empty() ? "" : ", ") + std::to_string(run.dropouts.gaps);
            lost += run.dropouts.silent_frames;
            latencies.insert(latencies.end(), run.latencies.begin(), run.latencies.end());
            to_mixed.insert(to_mixed.end(), run.to_mixed.begin(), run.to_mixed.end());
            for (std::size_t i = 0; i < run.latencies.size(); ++i)
                in_server.push_back(run.latencies[i] - run.to_mixed[i]);
            unheard += run.unheard;
        }
        const auto both = [](const std::vector<double>& ms) {
            char text[32];
            std::snprintf(text, sizeof text, "%5.1f / %5.1f ms", median(ms), percentile(ms, 99));
            return std::string(ms.empty() ? "-" : text);
        };
        std::printf("%-28s %-14s %5d %8.1f ms %16s %16s %16s %8d\n", name_of(size).c_str(), per_run.c_str(),
                    gaps_in(size), ms_of(lost), both(to_mixed).c_str(), both(in_server).c_str(),
                    both(latencies).c_str(), unheard);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 40;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 4;
    const bool busy_machine = argc <= 3 || std::string_view(argv[3]) != "idle";
    std::vector<Size> sizes;
    // FRAMES, FRAMES@RATE (the sink's rate unless given), or "game".
    for (int i = 4; i < argc; ++i) {
        const char* const at = std::strchr(argv[i], '@');
        sizes.push_back({std::atoi(argv[i]), at ? std::atoi(at + 1) : sink_rate});
    }
    if (sizes.empty())
        sizes = {{441, 44100}, {128, sink_rate}, {}};

    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    for (const auto kind : {SoundServer::Kind::pulseaudio, SoundServer::Kind::pipewire}) {
        const SoundServer server(kind);
        const QProcessEnvironment client = server.client_env();
        for (const char* name : {"PULSE_SERVER", "XDG_RUNTIME_DIR", "PIPEWIRE_RUNTIME_DIR"})
            qputenv(name, client.value(name).toLocal8Bit());
        // The driver the game takes with each.
        const char* const driver = kind == SoundServer::Kind::pipewire ? "pipewire" : "pulseaudio";
        setenv("SDL_AUDIODRIVER", driver, 1);

        // The same load for every size: a loop that never sleeps on each core.
        std::vector<std::unique_ptr<ChildProcess>> busy;
        for (unsigned core = 0; busy_machine && core < std::max(1u, std::thread::hardware_concurrency()); ++core)
            busy.push_back(std::make_unique<ChildProcess>(QStringList{"sh", "-c", "while :; do :; done"}));
        std::printf("== %s null sink at %.1f kHz%s, SDL's %s driver: %zu busy loops; %d runs of %d s per size, "
                    "in turn; a hit every %lld to %lld ms\n",
                    server.name(), sink_rate / 1000.0, SoundServer::realtime_servers() ? ", real-time" : "", driver,
                    busy.size(), runs, seconds,
                    static_cast<long long>((busy_machine ? hit_period : fast_hit_period).count()),
                    static_cast<long long>((busy_machine ? hit_period : fast_hit_period).count()) + 20);
        std::fflush(stdout);
        std::vector<Size> measured = sizes;
        for (int run = 1; run <= runs; ++run)
            for (Size& size : measured) {
                size.runs.push_back(measure(server, size, seconds, !busy_machine));
                print_run(run, size, size.runs.back());
            }
        busy.clear();
        print_table(measured);
        std::printf("\n");
    }
}
