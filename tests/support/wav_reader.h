#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// Reads a RIFF WAVE file chunk by chunk, independently of the generator.
struct WavFile {
    std::uint16_t format = 0; // 1 = PCM
    std::uint16_t channels = 0;
    std::uint32_t sample_rate = 0;
    std::uint16_t bits_per_sample = 0;
    std::vector<std::int16_t> samples; // interleaved; filled for 16-bit PCM only
    QString problem;                   // empty when the file is well formed

    double duration_ms() const
    {
        return channels == 0 || sample_rate == 0 ? 0 : 1000.0 * samples.size() / channels / sample_rate;
    }
};

WavFile read_wav(const QByteArray& bytes);
