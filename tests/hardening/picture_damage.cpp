#include "picture_damage.h"

#include "data_copy.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <pwd.h>
#include <sys/fsuid.h>
#include <unistd.h>

namespace {

// Offsets in a bitmap with the 40-byte info header, as the game's pictures have.
constexpr int pixel_offset_at = 10;
constexpr int info_size_at = 14;
constexpr int width_at = 18;
constexpr int height_at = 22;
constexpr int bits_at = 28;
constexpr int compression_at = 30;
constexpr int pixels_at = 54;
constexpr quint32 bi_rle8 = 1;
constexpr quint32 bi_bitfields = 3;
constexpr quint32 bi_jpeg = 4;
constexpr quint32 bi_alphabitfields = 6;

QByteArray put_le(QByteArray bytes, int at, quint32 value, int width = 4)
{
    for (int i = 0; i < width; ++i)
        bytes[at + i] = char(value >> (8 * i) & 0xFF);
    return bytes;
}

quint32 get_le(const QByteArray& bytes, int at, int width = 4)
{
    quint32 value = 0;
    for (int i = 0; i < width; ++i)
        value |= quint32(quint8(bytes[at + i])) << (8 * i);
    return value;
}

// The same picture behind another kind of header; the extra fields stay zero.
QByteArray with_info_size(const QByteArray& good, int size)
{
    QByteArray header = good.left(pixels_at);
    if (size == 12) {
        header = put_le(header.left(26), 18, get_le(good, width_at), 2);
        header = put_le(header, 20, get_le(good, height_at), 2);
        header = put_le(header, 22, 1, 2);
        header = put_le(header, 24, get_le(good, bits_at, 2), 2);
    } else {
        header.append(QByteArray(size - 40, '\0'));
    }
    header = put_le(header, info_size_at, quint32(size));
    header = put_le(header, pixel_offset_at, quint32(header.size()));
    return header + good.mid(pixels_at);
}

// The same bytes read at another depth, 100 rows high so they all fit; a
// palette, where the depth needs one, is taken from the first pixels.
QByteArray with_depth(const QByteArray& good, int bits)
{
    const QByteArray bytes = put_le(put_le(good, bits_at, quint32(bits), 2), height_at, 100);
    return put_le(bytes, pixel_offset_at, quint32(pixels_at + (bits <= 8 ? 4 << bits : 0)));
}

// The same picture with its rows stored from the top down.
QByteArray top_down(QByteArray good)
{
    const int height = int(get_le(good, height_at));
    const int row = (good.size() - pixels_at) / height;
    QByteArray bytes = put_le(good.left(pixels_at), height_at, quint32(-height));
    for (int y = height - 1; y >= 0; --y)
        bytes.append(good.mid(pixels_at + y * row, row));
    return bytes;
}

} // namespace

const std::vector<PictureDamage>& picture_damages()
{
    using B = QByteArray;
    static const std::vector<PictureDamage> damages{
        {"none: the game's own picture", [](B good) { return good; }, nullptr, ""},
        {"missing", nullptr, [](const QString&) {}, "does not exist", false, true},
        {"a folder", nullptr, [](const QString& path) { QDir().mkdir(path); }, "folder", false, true},
        {"a link to /dev/zero", nullptr, [](const QString& path) { QFile::link("/dev/zero", path); },
         "a device", false, true},
        {"a named pipe", nullptr, make_named_pipe, "a named pipe", false, true},
        {"a link to a kernel file longer than its text",
         nullptr, [](const QString& path) { QFile::link("/sys/devices/system/cpu/online", path); },
         "not a Windows bitmap"},
        {"an 8 GB sparse file", nullptr, [](const QString& path) { make_sparse_file(path, qint64(8) << 30); },
         "8589934592 bytes long", false, true},
        {"no read permission", [](B good) { return good; },
         [](const QString& path) { QFile::setPermissions(path, {}); }, "cannot be read", true, true},
        // Zeros after the pixels, which a picture may carry; the bound is 32 MiB.
        {"padded to 32 MiB less a byte", [](B good) { return good; },
         [](const QString& path) { QFile::resize(path, (qint64(32) << 20) - 1); }, ""},
        {"padded to 32 MiB", [](B good) { return good; },
         [](const QString& path) { QFile::resize(path, qint64(32) << 20); }, ""},
        {"padded to 32 MiB and a byte", [](B good) { return good; },
         [](const QString& path) { QFile::resize(path, (qint64(32) << 20) + 1); }, "33554433 bytes long"},
        {"zero bytes", [](B) { return B(); }, nullptr, "empty"},
        {"a single byte", [](B good) { return good.left(1); }, nullptr, "not a Windows bitmap"},
        {"16 bytes", [](B good) { return good.left(16); }, nullptr, "cut short inside its header"},
        {"cut inside the header", [](B good) { return good.left(30); }, nullptr, "cut short inside its header",
         false, true},
        {"cut inside the pixels", [](B good) { return good.left(good.size() * 3 / 4); }, nullptr, "cut short",
         false, true},
        {"one byte short", [](B good) { return good.chopped(1); }, nullptr, "cut short"},
        {"bit fields, one byte short",
         [](B good) { return put_le(good.chopped(1), compression_at, bi_bitfields); }, nullptr, "cut short"},
        {"alpha bit fields, one byte short",
         [](B good) { return put_le(good.chopped(1), compression_at, bi_alphabitfields); }, nullptr, "cut short"},
        {"random bytes",
         [](B good) {
             QRandomGenerator noise(0x2b0d);
             for (char& byte : good)
                 byte = char(noise.bounded(256));
             return good;
         },
         nullptr, "not a Windows bitmap"},
        {"signature BX", [](B good) { return good.replace(0, 2, "BX"); }, nullptr, "not a Windows bitmap"},
        {"header claims 4 bytes", [](B good) { return put_le(good, info_size_at, 4); }, nullptr,
         "length of 4 bytes"},
        {"header claims 16 bytes, file of 30",
         [](B good) { return put_le(good.left(30), info_size_at, 16); }, nullptr, "length of 16 bytes"},
        {"header claims 60000 x 60000",
         [](B good) { return put_le(put_le(good, width_at, 60000), height_at, 60000); }, nullptr,
         "60000 x 60000", false, true},
        // The bound is 16384 pixels a side; one row or column of each fits in the file.
        {"16383 x 1", [](B good) { return put_le(put_le(good, width_at, 16383), height_at, 1); }, nullptr, ""},
        {"16384 x 1", [](B good) { return put_le(put_le(good, width_at, 16384), height_at, 1); }, nullptr, ""},
        {"16385 x 1", [](B good) { return put_le(put_le(good, width_at, 16385), height_at, 1); }, nullptr,
         "16385 x 1"},
        {"1 x 16384", [](B good) { return put_le(put_le(good, width_at, 1), height_at, 16384); }, nullptr, ""},
        {"1 x 16385", [](B good) { return put_le(put_le(good, width_at, 1), height_at, 16385); }, nullptr,
         "1 x 16385"},
        {"run-length, 60000 x 201",
         [](B good) {
             return put_le(put_le(put_le(good, bits_at, 8, 2), compression_at, bi_rle8), width_at, 60000);
         },
         nullptr, "60000 x 201"},
        {"header claims no columns", [](B good) { return put_le(good, width_at, 0); }, nullptr,
         "impossible size"},
        {"header claims no rows", [](B good) { return put_le(good, height_at, 0); }, nullptr, "impossible size"},
        {"7 bits per pixel", [](B good) { return put_le(good, bits_at, 7, 2); }, nullptr,
         "7 bits per pixel"},
        {"JPEG inside", [](B good) { return put_le(good, compression_at, bi_jpeg); }, nullptr,
         "not a picture that can be read", false, true},
        {"52-byte header", [](B good) { return with_info_size(good, 52); }, nullptr,
         "not a picture that can be read"},
        {"56-byte header", [](B good) { return with_info_size(good, 56); }, nullptr,
         "not a picture that can be read"},
        {"12-byte header", [](B good) { return with_info_size(good, 12); }, nullptr, ""},
        {"108-byte header", [](B good) { return with_info_size(good, 108); }, nullptr, ""},
        {"124-byte header", [](B good) { return with_info_size(good, 124); }, nullptr, ""},
        {"rows from the top down", top_down, nullptr, ""},
        {"1 bit per pixel", [](B good) { return with_depth(good, 1); }, nullptr, ""},
        {"4 bits per pixel", [](B good) { return with_depth(good, 4); }, nullptr, ""},
        {"8 bits per pixel", [](B good) { return with_depth(good, 8); }, nullptr, ""},
        {"16 bits per pixel", [](B good) { return with_depth(good, 16); }, nullptr, ""},
        {"32 bits per pixel", [](B good) { return with_depth(good, 32); }, nullptr, ""},
    };
    return damages;
}

void place_damaged(const QString& path, const PictureDamage& damage, const QByteArray& good)
{
    if (damage.spoil)
        write_file(path, damage.spoil(good));
    if (damage.place)
        damage.place(path);
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
    place_damaged(path, damage, good);
}

ReadAsNobody::ReadAsNobody()
{
    if (geteuid() != 0)
        return; // permissions already apply
    if (const passwd* const nobody = getpwnam("nobody")) {
        setfsuid(nobody->pw_uid);
        changed_ = true;
    }
}

ReadAsNobody::~ReadAsNobody()
{
    if (changed_)
        setfsuid(0);
}
