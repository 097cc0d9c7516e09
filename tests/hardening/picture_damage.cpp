#include "picture_damage.h"

#include "data_copy.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

namespace {

void put_le32(QByteArray& bytes, int at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (8 * i) & 0xFF);
}

} // namespace

const std::vector<PictureDamage>& picture_damages()
{
    static const std::vector<PictureDamage> damages{
        {"missing", [](const QString&, const QByteArray&) {}, "does not exist"},
        {"zero bytes", [](const QString& path, const QByteArray&) { write_file(path, {}); }, "empty"},
        {"cut inside the header",
         [](const QString& path, const QByteArray& good) { write_file(path, good.left(30)); },
         "cut short inside its header"},
        {"cut inside the pixels",
         [](const QString& path, const QByteArray& good) { write_file(path, good.left(good.size() * 3 / 4)); },
         "cut short"},
        {"random bytes",
         [](const QString& path, const QByteArray& good) {
             QByteArray noise(good.size(), 0);
             QRandomGenerator bytes(0x2b0d);
             for (char& byte : noise)
                 byte = char(bytes.bounded(256));
             write_file(path, noise);
         },
         "not a Windows bitmap"},
        {"a folder", [](const QString& path, const QByteArray&) { QDir().mkdir(path); }, "folder"},
        {"no read permission",
         [](const QString& path, const QByteArray& good) {
             write_file(path, good);
             QFile::setPermissions(path, {});
         },
         "cannot be read", true},
        {"header claims 60000 x 60000",
         [](const QString& path, const QByteArray& good) {
             QByteArray bytes = good;
             put_le32(bytes, 18, 60000);
             put_le32(bytes, 22, 60000);
             write_file(path, bytes);
         },
         "60000 x 60000"},
    };
    return damages;
}

void spoil_picture(const QString& path, const PictureDamage& damage)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    const QByteArray good = file.readAll();
    file.close();
    if (!file.remove())
        qFatal("cannot remove %s", qPrintable(path));
    damage.apply(path, good);
}
