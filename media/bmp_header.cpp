#include "media/bmp_header.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

namespace media {
namespace {

constexpr std::size_t file_header_size = 14;
constexpr std::uint32_t core_header_size = 12;
// The core header, the info header and its later versions; nothing else was ever written.
constexpr std::array<std::uint32_t, 6> info_header_sizes{core_header_size, 40, 52, 56, 108, 124};
constexpr std::array<std::uint32_t, 6> pixel_depths{1, 4, 8, 16, 24, 32};
constexpr std::uint32_t bi_rgb = 0;
constexpr std::uint32_t bi_bitfields = 3;
constexpr std::uint32_t bi_alphabitfields = 6;
// Far beyond any picture of ours, small enough that decoding cannot exhaust memory.
constexpr std::int64_t max_side = 16384;

template <std::size_t n>
bool one_of(const std::array<std::uint32_t, n>& allowed, std::uint32_t value)
{
    return std::find(allowed.begin(), allowed.end(), value) != allowed.end();
}

// Callers have checked that the field lies inside `bytes`.
template <typename Field> std::uint32_t le(std::string_view bytes, std::size_t at)
{
    return qFromLittleEndian<Field>(bytes.data() + at);
}

std::string size_text(std::int64_t width, std::int64_t height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

} // namespace

std::optional<std::string> bmp_defect(std::string_view bytes)
{
    if (bytes.empty())
        return "the file is empty";
    if (bytes.size() < 2 || bytes.substr(0, 2) != "BM")
        return "the file is not a Windows bitmap";
    if (bytes.size() < file_header_size + 4)
        return "the file is cut short inside its header";

    const std::uint32_t pixel_offset = le<std::uint32_t>(bytes, 10);
    const std::uint32_t info_size = le<std::uint32_t>(bytes, 14);
    if (!one_of(info_header_sizes, info_size))
        return "its header claims a length of " + std::to_string(info_size)
            + " bytes, which no kind of Windows bitmap header has";
    if (bytes.size() < file_header_size + info_size)
        return "the file is cut short inside its header";

    // Every field read below lies inside the smallest header of its kind.
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t bits = 0;
    std::uint32_t compression = bi_rgb;
    if (info_size == core_header_size) {
        width = le<std::uint16_t>(bytes, 18);
        height = le<std::uint16_t>(bytes, 20);
        bits = le<std::uint16_t>(bytes, 24);
    } else {
        width = static_cast<std::int32_t>(le<std::uint32_t>(bytes, 18));
        // A negative height means the rows run from the top down.
        height = std::llabs(static_cast<std::int32_t>(le<std::uint32_t>(bytes, 22)));
        bits = le<std::uint16_t>(bytes, 28);
        compression = le<std::uint32_t>(bytes, 30);
    }

    if (!one_of(pixel_depths, bits))
        return "its header claims a depth of " + std::to_string(bits)
            + " bits per pixel, which a Windows bitmap cannot have";
    if (width <= 0 || height <= 0)
        return "its header claims an impossible size of " + size_text(width, height) + " pixels";
    if (width > max_side || height > max_side)
        return "its header claims " + size_text(width, height)
            + " pixels, far more than a picture of this game can have";

    const bool uncompressed = compression == bi_rgb || compression == bi_bitfields
        || compression == bi_alphabitfields;
    if (!uncompressed)
        return std::nullopt; // run-length data has no fixed size to check against

    // Each row is padded to a whole number of 32-bit words.
    const std::int64_t row_bytes = (width * bits + 31) / 32 * 4;
    const std::int64_t needed = static_cast<std::int64_t>(pixel_offset) + row_bytes * height;
    if (needed > static_cast<std::int64_t>(bytes.size()))
        return "the file is cut short: its header promises " + std::to_string(needed)
            + " bytes but the file holds only " + std::to_string(bytes.size());
    return std::nullopt;
}

} // namespace media
