#include "tools/hit_synth.h"

#include "tools/prng.h"
#include "tools/wav_writer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace assets {
namespace {

constexpr double pitch_glide_s = 0.012;
constexpr int fade_in_samples = 24;
constexpr double fade_out_s = 0.004;
// -6 dBFS is 16423; a little under leaves room for rounding.
constexpr double peak_target = 16000;

struct Oscillators {
    explicit Oscillators(std::uint32_t seed) : noise(seed) {}

    Prng noise;
    double phase = 0;
    double low_pass = 0;
    double high_pass = 0;
};

double raw_sample(const HitVoice& voice, double t, Oscillators& state)
{
    const double hz = voice.thump_end_hz
        + (voice.thump_start_hz - voice.thump_end_hz) * std::exp(-t / pitch_glide_s);
    state.phase += 2 * std::numbers::pi * hz / sample_rate;
    const double thump = std::sin(state.phase) * std::exp(-t / voice.thump_decay_s);

    const double white = state.noise.between(-1, 1);
    state.low_pass += voice.noise_low_cut * (white - state.low_pass);
    state.high_pass += voice.noise_high_cut * (white - state.high_pass);
    const double band = (state.high_pass - state.low_pass) * std::exp(-t / voice.noise_decay_s);

    // Soft clipping thickens the attack the way an overdriven drum does.
    return std::tanh(1.8 * (voice.thump_level * thump + voice.noise_level * band));
}

// Ramps in and out so the sound neither starts nor stops on a click.
double edge_gain(std::size_t index, std::size_t count)
{
    const auto fade_out_samples = static_cast<std::size_t>(fade_out_s * sample_rate);
    if (index < fade_in_samples)
        return static_cast<double>(index) / fade_in_samples;
    const std::size_t from_end = count - 1 - index;
    if (from_end < fade_out_samples)
        return 0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(from_end) / fade_out_samples);
    return 1;
}

} // namespace

HitVoice low_hit()
{
    return {.duration_s = 0.12,
            .thump_start_hz = 170,
            .thump_end_hz = 62,
            .thump_decay_s = 0.04,
            .thump_level = 1.0,
            .noise_low_cut = 0.02,
            .noise_high_cut = 0.25,
            .noise_decay_s = 0.012,
            .noise_level = 1.6,
            .seed = 0x5EED0001};
}

HitVoice high_hit()
{
    return {.duration_s = 0.095,
            .thump_start_hz = 520,
            .thump_end_hz = 240,
            .thump_decay_s = 0.022,
            .thump_level = 0.8,
            .noise_low_cut = 0.3,
            .noise_high_cut = 0.9,
            .noise_decay_s = 0.018,
            .noise_level = 2.2,
            .seed = 0x5EED0002};
}

std::vector<std::int16_t> synthesize_hit(const HitVoice& voice)
{
    // In whole numbers: 0.12 s times 44100 came out a hair under 5292 with the
    // x87's wider doubles, one sample short.
    const auto count = static_cast<std::size_t>(std::lround(voice.duration_s * 1000)) * sample_rate / 1000;
    std::vector<double> shaped(count);
    Oscillators state(voice.seed);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        shaped[i] = raw_sample(voice, t, state) * edge_gain(i, count);
    }

    double peak = 0;
    for (const double value : shaped)
        peak = std::max(peak, std::abs(value));
    const double scale = peak > 0 ? peak_target / peak : 0;

    std::vector<std::int16_t> samples(count);
    std::transform(shaped.begin(), shaped.end(), samples.begin(), [scale](double value) {
        return static_cast<std::int16_t>(std::lround(value * scale));
    });
    return samples;
}

} // namespace assets
