#pragma once

#include <cstdint>
#include <vector>

namespace assets {

// A hit is a pitched thump whose pitch drops fast, plus a filtered noise
// crack; both die away exponentially.
struct HitVoice {
    double duration_s = 0.1;
    double thump_start_hz = 200;
    double thump_end_hz = 100;
    double thump_decay_s = 0.03;
    double thump_level = 1;
    // One-pole low-pass coefficients (0..1): the band kept lies between them.
    double noise_low_cut = 0;
    double noise_high_cut = 0.3;
    double noise_decay_s = 0.01;
    double noise_level = 1;
    std::uint32_t seed = 1;
};

HitVoice low_hit();  // sh-hit1: a deep body blow
HitVoice high_hit(); // sh-hit2: a sharper, brighter smack

std::vector<std::int16_t> synthesize_hit(const HitVoice& voice);

} // namespace assets
