#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>

// Reads a Windows BMP independently of the generator, so a fault in its
// writer shows up here instead of being mirrored.
struct BmpFile {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bits_per_pixel = 0;
    std::uint32_t compression = 0;
    QImage pixels; // decoded top row first; null unless 24-bit uncompressed
    QString problem; // empty when the headers agree with the file
};

BmpFile read_bmp(const QByteArray& bytes);
