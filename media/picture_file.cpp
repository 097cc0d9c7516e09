#include "media/picture_file.h"

#include "media/bmp_header.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <string_view>

namespace media {

QString picture_path(int number)
{
    return QStringLiteral("bmp/%1.bmp").arg(number);
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

QImage load_picture(int number)
{
    const QString asked = picture_path(number);
    const QFileInfo info(asked);
    const QString resolved = info.absoluteFilePath();
    const auto fail = [&](const QString& reason) { return PictureLoadError(asked, resolved, reason); };

    if (!info.exists())
        throw fail(QStringLiteral("the file does not exist"));
    if (info.isDir())
        throw fail(QStringLiteral("it is a folder, not a file"));

    QFile file(asked);
    if (!file.open(QIODevice::ReadOnly))
        throw fail(QStringLiteral("the file cannot be read (%1)").arg(file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw fail(QStringLiteral("the file cannot be read (%1)").arg(file.errorString()));

    if (const auto defect = bmp_defect(std::string_view(bytes.constData(), bytes.size())))
        throw fail(QString::fromStdString(*defect));

    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "bmp");
    QImage image = reader.read();
    if (image.isNull())
        throw fail(QStringLiteral("it is not a picture that can be read (%1)").arg(reader.errorString()));
    return image;
}

} // namespace media
