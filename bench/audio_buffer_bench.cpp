// Which mixer buffer keeps up on this machine, settled by a controlled
// comparison: both cores kept busy by the same loop throughout, the sizes
// played in turn through a private PulseAudio null sink whose monitor is
// recorded, then through a private PipeWire's with SDL's own pipewire driver.
// Each run opens SDL's audio as the game does, with the buffer under test, and
// plays a steady 441 Hz tone on the left channel and the hit sound,
// started four times a second, on the right. Counts the silent gaps in the
// tone and times each hit from Mix_PlayChannel to its first sample in the
// sink, and how much of that it waited for SDL to mix it. Prints figures; never judges them. Needs the packages sound_server.h
// names; run from the folder holding the hit sound.
//   zumbrel_audio_buffer_bench [seconds] [runs] [frames ...]
#include "bench/monitor_recording.h"
#include "bench/sound_server.h"
#include "bench/recording_analysis.h"
#include "bench/summary.h"
#include "child_process.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int rate = SoundServer::sink_rate;
constexpr double tone_hz = 441;
constexpr double tone_level = 6000;
// Longer than the hit sound, so each one starts from silence.
constexpr auto hit_period = std::chrono::milliseconds(250);

struct Tone {
    double phase = 0;
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
    const double step = 2 * std::numbers::pi * tone_hz / rate;
    bool right_silent = true;
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
    std::vector<double> latencies; // ms
    std::vector<double> to_mixed;  // ms, of the same hits
    int unheard = 0;
};

struct Played {
    std::vector<Clock::time_point> started;
    std::vector<Clock::time_point> mixed;
};

struct Size {
    int frames = 0;
    std::vector<Run> runs{};
};

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "zumbrel_audio_buffer_bench: %s: %s\n", what, SDL_GetError());
    std::exit(1);
}

// Plays for the given time with the given buffer; returns when each hit was
// started, and when each was mixed.
Played play(int frames, int seconds)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0
        || Mix_OpenAudioDevice(rate, AUDIO_S16SYS, 2, static_cast<Uint16>(frames), nullptr, 0) != 0)
        fail("cannot open audio");
    Mix_AllocateChannels(1);
    Mix_Chunk* const hit = Mix_LoadWAV("sh-hit1.wav");
    if (!hit)
        fail("cannot load sh-hit1.wav");
    Tone tone;
    // Room for every hit and some, so that SDL's thread never allocates.
    tone.hits_mixed.reserve(static_cast<std::size_t>(seconds) * 8 + 16);
    Mix_SetPostMix(play_tone, &tone);
    std::vector<Clock::time_point> started;
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    for (auto next = Clock::now(); next < end; next += hit_period) {
        std::this_thread::sleep_until(next);
        started.push_back(Clock::now());
        Mix_PlayChannel(0, hit, 0);
    }
    std::this_thread::sleep_for(hit_period);
    Mix_HaltChannel(-1);
    Mix_SetPostMix(nullptr, nullptr);
    Mix_FreeChunk(hit);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return {started, tone.hits_mixed};
}

Run measure(const SoundServer& pulse, int frames, int seconds)
{
    MonitorRecording recording(pulse);
    const Played played = play(frames, seconds);
    const std::vector<Clock::time_point>& started = played.started;
    // The stream's last buffers reach the sink after it closes.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    recording.stop();

    Run run{dropouts_in_tone(recording.left(), rate, tone_hz), {}, {}, 0};
    for (const Clock::time_point t : started) {
        // The stream's first second, while SDL and the server settle, is left out.
        if (t < started.front() + std::chrono::seconds(1))
            continue;
        const auto latency = time_to_onset(recording.right(), recording.timeline(), t,
                                           hit_period - std::chrono::milliseconds(20), rate);
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

double ms_of(std::size_t frames)
{
    return 1000.0 * static_cast<double>(frames) / rate;
}

void print_run(int number, int frames, const Run& run)
{
    const Dropouts& d = run.dropouts;
    std::printf("run %d, %d frames: %.1f s of tone, %d silent gaps (%.1f ms, longest %.1f ms), %d recorder breaks; "
                "play -> first sample: median %.1f ms of %zu hits, %d unheard\n",
                number, frames, static_cast<double>(d.tone_frames) / rate, d.gaps, ms_of(d.silent_frames),
                ms_of(d.longest_gap), d.breaks, median(run.latencies), run.latencies.size(), run.unheard);
    std::fflush(stdout);
}

int gaps_in(const Size& size)
{
    int gaps = 0;
    for (const Run& run : size.runs)
        gaps += run.dropouts.gaps;
    return gaps;
}

void print_table(const std::vector<Size>& sizes)
{
    std::printf("\n%-22s %-20s %5s %11s %18s %18s %8s\n", "buffer at 44.1 kHz", "silent gaps per run", "all",
                "sound lost", "play->first sample", "of which in SDL", "unheard");
    for (const Size& size : sizes) {
        std::string per_run;
        std::size_t lost = 0;
        std::vector<double> latencies, to_mixed;
        int unheard = 0;
        for (const Run& run : size.runs) {
            per_run += (per_run.empty() ? "" : ", ") + std::to_string(run.dropouts.gaps);
            lost += run.dropouts.silent_frames;
            latencies.insert(latencies.end(), run.latencies.begin(), run.latencies.end());
            to_mixed.insert(to_mixed.end(), run.to_mixed.begin(), run.to_mixed.end());
            unheard += run.unheard;
        }
        char name[32];
        std::snprintf(name, sizeof name, "%d frames (%.1f ms)", size.frames, ms_of(size.frames));
        std::printf("%-22s %-20s %5d %8.1f ms %6.1f / %6.1f ms %6.1f / %6.1f ms %8d\n", name, per_run.c_str(),
                    gaps_in(size), ms_of(lost), median(latencies), percentile(latencies, 99), median(to_mixed),
                    percentile(to_mixed, 99), unheard);
    }
    const Size* smallest = &sizes.front();
    for (const Size& size : sizes)
        if (size.frames < smallest->frames && gaps_in(size) <= gaps_in(sizes.front()))
            smallest = &size;
    std::printf("smallest buffer with no more silent gaps than %d frames: %d frames (%d gaps against %d)\n",
                sizes.front().frames, smallest->frames, gaps_in(*smallest), gaps_in(sizes.front()));
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 40;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 4;
    std::vector<Size> sizes;
    for (int i = 3; i < argc; ++i)
        sizes.push_back({std::atoi(argv[i])});
    if (sizes.empty())
        sizes = {{512}, {441}, {256}};

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
        for (unsigned core = 0; core < std::max(1u, std::thread::hardware_concurrency()); ++core)
            busy.push_back(std::make_unique<ChildProcess>(QStringList{"sh", "-c", "while :; do :; done"}));
        std::printf("== %s null sink, SDL's %s driver: %zu busy loops; %d runs of %d s per size, in turn\n",
                    server.name(), driver, busy.size(), runs, seconds);
        std::fflush(stdout);
        std::vector<Size> measured = sizes;
        for (int run = 1; run <= runs; ++run)
            for (Size& size : measured) {
                size.runs.push_back(measure(server, size.frames, seconds));
                print_run(run, size.frames, size.runs.back());
            }
        busy.clear();
        print_table(measured);
        std::printf("\n");
    }
}
