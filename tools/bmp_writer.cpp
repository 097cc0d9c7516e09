#include "tools/bmp_writer.h"

#include "tools/little_endian.h"

#include <cstdint>

namespace assets {
namespace {

constexpr std::uint32_t file_header_size = 14;
constexpr std::uint32_t info_header_size = 40;
constexpr std::uint32_t pixels_per_metre = 2835; // 72 dpi

} // namespace

QByteArray encode_bmp24(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const auto width = static_cast<std::uint32_t>(rgb.width());
    const auto height = static_cast<std::uint32_t>(rgb.height());
    const std::uint32_t row_size = (width * 3 + 3) / 4 * 4;
    const std::uint32_t pixel_bytes = row_size * height;
    const std::uint32_t pixel_offset = file_header_size + info_header_size;

    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(pixel_offset + pixel_bytes));
    bytes.append("BM");
    append_u32(bytes, pixel_offset + pixel_bytes);
    append_u32(bytes, 0); // reserved
    append_u32(bytes, pixel_offset);

    append_u32(bytes, info_header_size);
    append_u32(bytes, width);
    append_u32(bytes, height); // positive: rows run bottom to top
    append_u16(bytes, 1);      // planes
    append_u16(bytes, 24);
    append_u32(bytes, 0); // BI_RGB, uncompressed
    append_u32(bytes, pixel_bytes);
    append_u32(bytes, pixels_per_metre);
    append_u32(bytes, pixels_per_metre);
    append_u32(bytes, 0); // colours used
    append_u32(bytes, 0); // important colours

    const QByteArray padding(static_cast<qsizetype>(row_size - width * 3), '\0');
    for (int y = rgb.height() - 1; y >= 0; --y) {
        const uchar* source = rgb.constScanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            const uchar* pixel = source + 3 * x;
            bytes.append(static_cast<char>(pixel[2]));
            bytes.append(static_cast<char>(pixel[1]));
            bytes.append(static_cast<char>(pixel[0]));
        }
        bytes.append(padding);
    }
    return bytes;
}

} // namespace assets
