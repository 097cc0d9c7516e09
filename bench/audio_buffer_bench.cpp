// Whether a mixer buffer of a given size keeps up on this machine: opens SDL's
// audio as the game does, but with the rate and buffer asked for, plays a
// steady 441 Hz tone on the left channel and the hit sound, restarted eight
// times a second, on the right, and prints how regularly SDL asked for each
// buffer. bench/pulse_dropouts.sh records it from a PulseAudio null sink and
// counts what was lost.
//   zumbrel_audio_buffer_bench <rate> <frames> <seconds> [hit.wav]
#include "bench/summary.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double tone_hz = 441;
constexpr double tone_level = 6000;

struct Tone {
    double phase_step = 0;
    double phase = 0;
    std::vector<Clock::time_point> calls;
    std::atomic<std::size_t> count{0};
    std::atomic<long> frames_out{0};
    std::atomic<int> frames_per_call{0};
};

// Runs on the mixed buffer just before it goes out: the hit sound keeps the
// right channel, the left becomes the tone.
void SDLCALL play_tone(void* user, Uint8* stream, int bytes)
{
    auto& tone = *static_cast<Tone*>(user);
    const std::size_t n = tone.count.load(std::memory_order_relaxed);
    if (n < tone.calls.size()) {
        tone.calls[n] = Clock::now();
        tone.count.store(n + 1, std::memory_order_release);
    }
    tone.frames_out.fetch_add(bytes / 4, std::memory_order_relaxed);
    tone.frames_per_call.store(bytes / 4, std::memory_order_relaxed);
    auto* const samples = reinterpret_cast<Sint16*>(stream);
    for (int frame = 0; frame < bytes / 4; ++frame) {
        const auto value = static_cast<Sint16>(std::lround(tone_level * std::sin(tone.phase)));
        samples[2 * frame] = value;
        tone.phase = std::fmod(tone.phase + tone.phase_step, 2 * std::numbers::pi);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: zumbrel_audio_buffer_bench <rate> <frames> <seconds> [hit.wav]\n");
        return 2;
    }
    const int rate = std::atoi(argv[1]);
    const int frames = std::atoi(argv[2]);
    const int seconds = std::atoi(argv[3]);
    const char* const hit_file = argc > 4 ? argv[4] : "sh-hit1.wav";

    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0
        || Mix_OpenAudioDevice(rate, AUDIO_S16SYS, 2, static_cast<Uint16>(frames), nullptr, 0) != 0) {
        std::fprintf(stderr, "cannot open audio: %s\n", SDL_GetError());
        return 1;
    }
    int obtained_rate = 0;
    Uint16 format = 0;
    int channels = 0;
    Mix_QuerySpec(&obtained_rate, &format, &channels);
    if (channels != 2) {
        std::fprintf(stderr, "the mixer gave %d channels, not 2\n", channels);
        return 1;
    }
    Mix_AllocateChannels(1);
    Mix_Chunk* const hit = Mix_LoadWAV(hit_file);

    Tone tone;
    tone.phase_step = 2 * std::numbers::pi * tone_hz / obtained_rate;
    tone.calls.resize(static_cast<std::size_t>(seconds) * obtained_rate / std::max(frames, 1) * 2 + 16);
    Mix_SetPostMix(play_tone, &tone);
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end) {
        if (hit)
            Mix_PlayChannel(0, hit, 0);
        SDL_Delay(125);
    }
    Mix_SetPostMix(nullptr, nullptr);
    const std::size_t calls = tone.count.load(std::memory_order_acquire);

    const int got_frames = tone.frames_per_call.load();
    const double period_ms = 1000.0 * got_frames / obtained_rate;
    // The stream's first second, while SDL and the server settle, is left out.
    std::size_t settled = 0;
    while (settled < calls && tone.calls[settled] < tone.calls[0] + std::chrono::seconds(1))
        ++settled;
    std::vector<double> gaps;
    int late = 0;
    for (std::size_t i = settled + 1; i < calls; ++i) {
        gaps.push_back(std::chrono::duration<double, std::milli>(tone.calls[i] - tone.calls[i - 1]).count());
        late += gaps.back() > 2 * period_ms;
    }
    std::printf("driver %s, asked %d Hz / %d frames (%.2f ms), got %d Hz / %d frames (%.2f ms), %s\n",
                SDL_GetCurrentAudioDriver(), rate, frames, 1000.0 * frames / rate, obtained_rate, got_frames,
                period_ms, hit ? "with the hit sound" : "tone only");
    print_summary("  time between buffer requests after the first second", gaps, "ms");
    std::printf("  %zu requests in %d s (%.0f in real time), %.2f s of tone; gaps over two buffers: %d\n", calls,
                seconds, seconds * 1000.0 / period_ms, static_cast<double>(tone.frames_out.load()) / obtained_rate,
                late);
    Mix_HaltChannel(-1);
    Mix_FreeChunk(hit);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
