#include "picture_damage.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>

#include <cstdio>

namespace {

void write(const QDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
}

QByteArray read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

QByteArray encoded(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

} // namespace

// Writes the game's pictures, a small one at each depth Qt writes, and both
// the title and the small 24-bit one spoiled in each way the tests know.
int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PICTURE_FOLDER SEED_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir pictures(QString::fromLocal8Bit(argv[1]));
    const QDir seeds(QString::fromLocal8Bit(argv[2]));
    if (!seeds.mkpath("."))
        qFatal("cannot make %s", argv[2]);

    for (const QString& name : pictures.entryList({"*.bmp"}, QDir::Files))
        write(seeds, "game-" + name, read(pictures.filePath(name)));

    const QByteArray title = read(pictures.filePath("25.bmp"));
    const QImage small = QImage::fromData(title, "BMP").copy(0, 0, 7, 5);
    const std::pair<const char*, QImage::Format> depths[] = {{"1", QImage::Format_Mono},
        {"8", QImage::Format_Indexed8}, {"24", QImage::Format_RGB32}, {"32", QImage::Format_ARGB32}};
    for (const auto& [bits, format] : depths)
        write(seeds, QStringLiteral("small-%1.bmp").arg(bits), encoded(small.convertToFormat(format)));

    const std::pair<const char*, QByteArray> bases[] = {{"title", title}, {"small", encoded(small)}};
    for (const auto& [base, good] : bases)
        for (std::size_t i = 0; i < picture_damages().size(); ++i)
            if (const auto spoil = picture_damages()[i].spoil)
                write(seeds, QStringLiteral("%1-damage-%2.bmp").arg(base).arg(i), spoil(good));
    return 0;
}
