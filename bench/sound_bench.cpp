// Prints what the sound device costs on this machine: opening it, the mixer's
// buffer, and one play call. Figures go into reports, never into tests.
#include "media/sdl_backend.h"
#include "media/sound_output.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double micros(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

std::atomic<int> mix_bytes{0};

void SDLCALL note_buffer(void*, Uint8*, int bytes)
{
    mix_bytes = bytes;
}

} // namespace

int main(int argc, char** argv)
{
    const char* file = argc > 1 ? argv[1] : "sh-hit1.wav";
    if (!std::filesystem::exists(file)) {
        std::fprintf(stderr, "usage: zumbrel_sound_bench [sound.wav]  (%s not found)\n", file);
        return 1;
    }

    const auto before_open = Clock::now();
    media::SoundOutput device;
    device.start([] { return media::make_sdl_backend(); });
    const auto constructed = Clock::now();
    // The device opens its output on a thread of its own.
    device.wait_for_output(true, std::chrono::seconds(5));
    std::printf("constructor: %.0f us, output open after %.0f us, driver: %s\n",
                micros(constructed - before_open), micros(Clock::now() - before_open),
                SDL_GetCurrentAudioDriver() ? SDL_GetCurrentAudioDriver() : "none");

    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    if (Mix_QuerySpec(&frequency, &format, &channels) == 0) {
        std::printf("no audio device: nothing more to measure\n");
        return 0;
    }
    Mix_SetPostMix(note_buffer, nullptr);
    while (mix_bytes == 0)
        SDL_Delay(1);
    Mix_SetPostMix(nullptr, nullptr);
    const int frame_bytes = SDL_AUDIO_BITSIZE(format) / 8 * channels;
    std::printf("mixer: %d Hz, %d bit, %d channels, %d frames per buffer (%.1f ms)\n", frequency,
                SDL_AUDIO_BITSIZE(format), channels, mix_bytes / frame_bytes,
                1000.0 * mix_bytes / frame_bytes / frequency);

    device.open(file, "p1");
    constexpr int plays = 10000;
    std::vector<double> took;
    took.reserve(plays);
    for (int i = 0; i < plays; ++i) {
        const auto start = Clock::now();
        device.play_from_start("p1");
        took.push_back(micros(Clock::now() - start));
    }
    std::sort(took.begin(), took.end());
    std::printf("play_from_start over %d calls: median %.2f us, p99 %.2f us, max %.2f us\n", plays,
                took[plays / 2], took[plays * 99 / 100], took.back());
}
