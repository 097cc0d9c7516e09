#pragma once

#include <QByteArray>

#include <cstdint>
#include <span>

namespace assets {

inline constexpr int sample_rate = 44100;

// 16-bit PCM in a plain RIFF WAVE file; several channels' samples interleaved.
QByteArray encode_wav(std::span<const std::int16_t> samples, int channels = 1, int rate = sample_rate);

} // namespace assets
