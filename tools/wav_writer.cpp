#include "tools/wav_writer.h"

#include <QDataStream>
#include <QIODevice>

namespace assets {

QByteArray encode_wav(std::span<const std::int16_t> samples, int channels, int rate)
{
    constexpr quint16 bytes_per_sample = 2;
    const auto data_size = static_cast<quint32>(samples.size() * bytes_per_sample);

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian); // RIFF is little-endian whatever the host is
    out.writeRawData("RIFF", 4);
    out << quint32{36 + data_size};
    out.writeRawData("WAVEfmt ", 8);
    out << quint32{16} << quint16{1} << quint16(channels); // 16-byte PCM format chunk
    out << quint32(rate) << quint32(rate * channels * bytes_per_sample);
    out << quint16(channels * bytes_per_sample) << quint16{8 * bytes_per_sample};
    out.writeRawData("data", 4);
    out << data_size;
    for (const std::int16_t sample : samples)
        out << sample;
    return bytes;
}

} // namespace assets
