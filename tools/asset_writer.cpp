#include "tools/asset_writer.h"

#include "tools/hit_synth.h"
#include "tools/icon.h"
#include "tools/picture_catalogue.h"
#include "tools/wav_writer.h"
#include "media/picture_file.h"

#include <QDir>
#include <QFile>
#include <QImageWriter>

#include <stdexcept>

namespace assets {
namespace {

void make_folder(const QString& path)
{
    if (!QDir().mkpath(path))
        throw std::runtime_error("cannot create folder " + path.toStdString());
}

void write_file(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()
        || !file.flush())
        throw std::runtime_error("cannot write " + path.toStdString() + ": " + file.errorString().toStdString());
}

void write_image(const QString& path, const QImage& image, const char* format)
{
    QImageWriter writer(path, format);
    if (!writer.write(image))
        throw std::runtime_error("cannot write " + path.toStdString() + ": " + writer.errorString().toStdString());
}

// Qt writes an opaque picture as the 24-bit bottom-up BITMAPINFOHEADER layout
// the game reads; 72 dpi is what our pictures have always declared, and a
// sharper one is as many times as dense.
void write_bmp(const QString& path, QImage picture, int scale)
{
    const int dots_per_metre = 2835 * scale;
    picture.setDotsPerMeterX(dots_per_metre);
    picture.setDotsPerMeterY(dots_per_metre);
    write_image(path, picture, "BMP");
}

} // namespace

void write_all_assets(const QString& data_dir, const QString& icon_dir)
{
    make_folder(data_dir + QStringLiteral("/bmp"));
    for (int number = 1; number <= picture_count; ++number)
        for (const int scale : {1, media::sharp_scale})
            write_bmp(data_dir + '/' + media::picture_path(number, scale), draw_numbered_picture(number, scale), scale);

    write_file(data_dir + QStringLiteral("/sh-hit1.wav"), encode_wav(synthesize_hit(low_hit())));
    write_file(data_dir + QStringLiteral("/sh-hit2.wav"), encode_wav(synthesize_hit(high_hit())));

    make_folder(icon_dir);
    for (const int size : icon_sizes)
        write_image(QStringLiteral("%1/zumbrel-%2.png").arg(icon_dir).arg(size), draw_icon(size), "PNG");
}

} // namespace assets
