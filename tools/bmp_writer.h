#pragma once

#include <QByteArray>
#include <QImage>

namespace assets {

// A 24-bit bottom-up Windows BMP with a BITMAPINFOHEADER, the one layout the
// game's picture loader is sure to read.
QByteArray encode_bmp24(const QImage& image);

} // namespace assets
