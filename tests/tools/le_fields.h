#pragma once

#include <QByteArray>

#include <cstdint>

// Little-endian header fields, read byte by byte through the bounds-checked
// accessor rather than by casting into the array.
inline std::uint32_t le_field(const QByteArray& bytes, qsizetype offset, int width)
{
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | static_cast<uchar>(bytes.at(offset + i));
    return value;
}

inline std::uint32_t u32_at(const QByteArray& bytes, qsizetype offset)
{
    return le_field(bytes, offset, 4);
}

inline std::uint16_t u16_at(const QByteArray& bytes, qsizetype offset)
{
    return static_cast<std::uint16_t>(le_field(bytes, offset, 2));
}
