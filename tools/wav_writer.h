#pragma once

#include <QByteArray>

#include <cstdint>
#include <span>

namespace assets {

inline constexpr int sample_rate = 44100;

// Mono 16-bit PCM in a plain RIFF WAVE file.
QByteArray encode_wav(std::span<const std::int16_t> samples);

} // namespace assets
