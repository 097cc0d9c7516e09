#include "media/picture_file.h"

#include "media/bmp_header.h"
#include "media/bounded_read.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>

#include <cstddef>

namespace media {
namespace {

// Our pictures are 160 KB; a file this long is no picture of this game.
constexpr std::size_t max_picture_bytes = 32 * 1024 * 1024;

} // namespace

QString picture_path(int number, int scale)
{
    if (scale == 1)
        return QStringLiteral("bmp/%1.bmp").arg(number);
    return QStringLiteral("bmp/%1@%2x.bmp").arg(number).arg(scale);
}

PictureLoadError::PictureLoadError(const QString& asked, const QString& resolved,
                                   const QString& reason)
    : std::runtime_error(("cannot load " + asked + ": " + reason).toStdString())
    , asked_(asked)
    , resolved_(resolved)
    , reason_(reason)
{
}

QString PictureLoadError::report() const
{
    return QStringLiteral("Cannot show the picture \"%1\" (%2): %3.")
        .arg(asked_, resolved_, reason_);
}

DecodedPicture decode_picture(std::string_view bytes)
{
    if (const auto defect = bmp_defect(bytes))
        return {{}, QString::fromStdString(*defect)};

    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer, "bmp");
    QImage image = reader.read();
    if (image.isNull())
        return {{}, QStringLiteral("it is not a picture that can be read (%1)").arg(reader.errorString())};
    return {image, {}};
}

QImage load_picture(int number, qreal device_pixel_ratio)
{
    int scale = device_pixel_ratio > 1 ? sharp_scale : 1;
    FileContents file = read_bounded(picture_path(number, scale).toStdString(), max_picture_bytes);
    // A folder of the player's own may hold no sharp drawings: that is no fault.
    if (scale != 1 && file.missing) {
        scale = 1;
        file = read_bounded(picture_path(number).toStdString(), max_picture_bytes);
    }
    const QString asked = picture_path(number, scale);
    // Where the name led is looked up only for a report, never on every hit.
    const auto fail = [&](const QString& reason) {
        return PictureLoadError(asked, QDir::current().absoluteFilePath(asked), reason);
    };
    if (!file.failure.empty())
        throw fail(QString::fromStdString(file.failure));
    DecodedPicture picture = decode_picture(std::string_view(file.bytes.data(), file.bytes.size()));
    if (picture.image.isNull())
        throw fail(picture.failure);
    picture.image.setDevicePixelRatio(scale);
    return picture.image;
}

} // namespace media
