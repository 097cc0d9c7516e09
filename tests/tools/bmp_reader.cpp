#include "bmp_reader.h"

#include "le_fields.h"

namespace {

constexpr qsizetype headers_size = 54;

QImage decode_rows(const QByteArray& bytes, qsizetype offset, int width, int height, qsizetype stride)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int row = 0; row < height; ++row) {
        // Positive height: the first stored row is the bottom one.
        const char* source = bytes.constData() + offset + stride * (height - 1 - row);
        uchar* target = image.scanLine(row);
        for (int x = 0; x < width; ++x) {
            target[3 * x] = static_cast<uchar>(source[3 * x + 2]);
            target[3 * x + 1] = static_cast<uchar>(source[3 * x + 1]);
            target[3 * x + 2] = static_cast<uchar>(source[3 * x]);
        }
    }
    return image;
}

} // namespace

BmpFile read_bmp(const QByteArray& bytes)
{
    BmpFile bmp;
    if (bytes.size() < headers_size || !bytes.startsWith("BM")) {
        bmp.problem = QStringLiteral("not a BMP");
        return bmp;
    }
    const std::uint32_t declared_size = u32_at(bytes, 2);
    const std::uint32_t pixel_offset = u32_at(bytes, 10);
    const std::uint32_t info_size = u32_at(bytes, 14);
    bmp.width = static_cast<std::int32_t>(u32_at(bytes, 18));
    bmp.height = static_cast<std::int32_t>(u32_at(bytes, 22));
    const std::uint16_t planes = u16_at(bytes, 26);
    bmp.bits_per_pixel = u16_at(bytes, 28);
    bmp.compression = u32_at(bytes, 30);
    const std::uint32_t declared_image_size = u32_at(bytes, 34);

    if (info_size != 40)
        bmp.problem = QStringLiteral("info header is %1 bytes, not a BITMAPINFOHEADER").arg(info_size);
    else if (planes != 1)
        bmp.problem = QStringLiteral("%1 planes").arg(planes);
    else if (declared_size != static_cast<std::uint32_t>(bytes.size()))
        bmp.problem = QStringLiteral("header says %1 bytes, file has %2").arg(declared_size).arg(bytes.size());
    if (!bmp.problem.isEmpty() || bmp.bits_per_pixel != 24 || bmp.compression != 0 || bmp.width <= 0
        || bmp.height <= 0)
        return bmp;

    const qsizetype stride = (qsizetype{bmp.width} * 3 + 3) / 4 * 4;
    const qsizetype pixel_bytes = stride * bmp.height;
    if (pixel_offset < headers_size || pixel_offset + pixel_bytes != bytes.size())
        bmp.problem = QStringLiteral("pixel rows at %1 (%2 bytes) do not end the %3-byte file")
                          .arg(pixel_offset)
                          .arg(pixel_bytes)
                          .arg(bytes.size());
    else if (declared_image_size != 0 && declared_image_size != pixel_bytes)
        bmp.problem = QStringLiteral("image size field says %1, rows take %2").arg(declared_image_size).arg(pixel_bytes);
    else
        bmp.pixels = decode_rows(bytes, pixel_offset, bmp.width, bmp.height, stride);
    return bmp;
}
