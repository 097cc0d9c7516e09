#pragma once

#include <QImage>
#include <QString>

#include <stdexcept>
#include <string_view>

namespace media {

// Each picture may also be drawn at this many times its size, for screens
// with more device pixels than pixels.
inline constexpr int sharp_scale = 2;

// Picture N lives at "bmp/N.bmp", relative to the current directory at the
// moment it is loaded; drawn at another scale, at "bmp/N@<scale>x.bmp".
QString picture_path(int number, int scale = 1);

class PictureLoadError : public std::runtime_error {
public:
    PictureLoadError(const QString& asked, const QString& resolved, const QString& reason);

    const QString& asked() const { return asked_; }
    const QString& resolved() const { return resolved_; }
    const QString& reason() const { return reason_; }
    // What a player is told: the file as asked for and as found, and why.
    QString report() const;

private:
    QString asked_;
    QString resolved_;
    QString reason_;
};

// A picture file's bytes turned into a picture, or in plain words why they
// cannot be: exactly one of the two is set.
struct DecodedPicture {
    QImage image;
    QString failure;
};

DecodedPicture decode_picture(std::string_view bytes);

// Reads picture N from disk anew on every call, for a screen of
// `device_pixel_ratio` device pixels to a pixel. Above 1 it takes the sharp
// drawing where there is one; the picture says its ratio, so that it is drawn
// at its size in pixels. Throws PictureLoadError when the file taken is
// unreadable, incomplete, too large or not a picture, or when neither exists.
QImage load_picture(int number, qreal device_pixel_ratio);

} // namespace media
