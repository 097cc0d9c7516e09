#include "wav_reader.h"

#include <QtEndian>

#include <iterator>

WavFile read_wav(const QByteArray& bytes)
{
    WavFile wav;
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") {
        wav.problem = QStringLiteral("not a RIFF WAVE file");
        return wav;
    }
    if (qFromLittleEndian<quint32>(bytes.constData() + 4) + 8 != static_cast<quint32>(bytes.size())) {
        wav.problem = QStringLiteral("RIFF size disagrees with the file size");
        return wav;
    }
    bool seen_format = false;
    bool seen_data = false;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const std::uint32_t size = qFromLittleEndian<quint32>(bytes.sliced(at + 4, 4).constData());
        const qsizetype body = at + 8;
        if (size > static_cast<std::uint64_t>(bytes.size() - body)) {
            wav.problem = QStringLiteral("chunk %1 runs past the end").arg(QString::fromLatin1(id));
            return wav;
        }
        const char* const field = bytes.constData() + body;
        if (id == "fmt " && size >= 16) {
            wav.format = qFromLittleEndian<quint16>(field);
            wav.channels = qFromLittleEndian<quint16>(field + 2);
            wav.sample_rate = qFromLittleEndian<quint32>(field + 4);
            const std::uint32_t byte_rate = qFromLittleEndian<quint32>(field + 8);
            const std::uint16_t block_align = qFromLittleEndian<quint16>(field + 12);
            wav.bits_per_sample = qFromLittleEndian<quint16>(field + 14);
            if (block_align != wav.channels * wav.bits_per_sample / 8 || byte_rate != wav.sample_rate * block_align)
                wav.problem = QStringLiteral("byte rate or block align disagrees with the format");
            seen_format = true;
        } else if (id == "data" && seen_format) {
            if (wav.format == 1 && wav.bits_per_sample == 16) {
                wav.samples.resize(size / 2);
                // Qt hands the count to memcpy, which must not be given an empty vector's null.
                if (!wav.samples.empty())
                    qFromLittleEndian<qint16>(field, std::ssize(wav.samples), wav.samples.data());
            }
            seen_data = true;
        }
        at = body + size + size % 2; // chunks are padded to even length
    }
    if (wav.problem.isEmpty() && !(seen_format && seen_data))
        wav.problem = QStringLiteral("no fmt chunk followed by a data chunk");
    return wav;
}
