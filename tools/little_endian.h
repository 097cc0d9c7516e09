#pragma once

#include <QByteArray>

#include <cstdint>

namespace assets {

// BMP and RIFF headers are little-endian whatever the host is.
inline void append_u16(QByteArray& bytes, std::uint16_t value)
{
    bytes.append(static_cast<char>(value & 0xFF));
    bytes.append(static_cast<char>(value >> 8 & 0xFF));
}

inline void append_u32(QByteArray& bytes, std::uint32_t value)
{
    append_u16(bytes, static_cast<std::uint16_t>(value & 0xFFFF));
    append_u16(bytes, static_cast<std::uint16_t>(value >> 16));
}

} // namespace assets
