#include "tools/wav_writer.h"

#include "tools/little_endian.h"

namespace assets {

QByteArray encode_wav(std::span<const std::int16_t> samples)
{
    constexpr std::uint16_t channels = 1;
    constexpr std::uint16_t bytes_per_sample = 2;
    const auto data_size = static_cast<std::uint32_t>(samples.size() * bytes_per_sample);

    QByteArray bytes;
    bytes.append("RIFF");
    append_u32(bytes, 36 + data_size);
    bytes.append("WAVE");

    bytes.append("fmt ");
    append_u32(bytes, 16);
    append_u16(bytes, 1); // PCM
    append_u16(bytes, channels);
    append_u32(bytes, sample_rate);
    append_u32(bytes, sample_rate * channels * bytes_per_sample);
    append_u16(bytes, channels * bytes_per_sample);
    append_u16(bytes, 8 * bytes_per_sample);

    bytes.append("data");
    append_u32(bytes, data_size);
    for (const std::int16_t sample : samples)
        append_u16(bytes, static_cast<std::uint16_t>(sample));
    return bytes;
}

} // namespace assets
