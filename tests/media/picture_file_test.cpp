#include "media/picture_file.h"
#include "../support/picture_folder.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace {

// Puts a damaged version of a good picture's bytes where the picture should be.
using Damage = void (*)(const QString& path, QByteArray bytes);

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void put_le32(QByteArray& bytes, int at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (8 * i) & 0xFF);
}

} // namespace

Q_DECLARE_METATYPE(Damage)

class PictureFileTest : public QObject {
    Q_OBJECT

private slots:
    void path_of_a_number_data();
    void path_of_a_number();
    void loads_the_file_afresh_each_time();
    void bad_file_is_a_clear_error_data();
    void bad_file_is_a_clear_error();
};

void PictureFileTest::path_of_a_number_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("path");
    QTest::newRow("1") << 1 << "bmp/1.bmp";
    QTest::newRow("9") << 9 << "bmp/9.bmp";
    QTest::newRow("10") << 10 << "bmp/10.bmp";
    QTest::newRow("25") << 25 << "bmp/25.bmp";
}

void PictureFileTest::path_of_a_number()
{
    QFETCH(int, number);
    QFETCH(QString, path);
    QCOMPARE(media::picture_path(number), path);
}

void PictureFileTest::loads_the_file_afresh_each_time()
{
    const PictureFolder folder;
    const QImage first = media::load_picture(7);
    QCOMPARE(first.size(), QSize(265, 201));
    QCOMPARE(first.pixel(0, 0), PictureFolder::colour_picture(7).pixel(0, 0));

    // Replacing the file between two loads must show the new one: no cache.
    QFile::remove("bmp/7.bmp");
    QFile::copy("bmp/8.bmp", "bmp/7.bmp");
    QCOMPARE(media::load_picture(7).pixel(0, 0), PictureFolder::colour_picture(8).pixel(0, 0));
}

void PictureFileTest::bad_file_is_a_clear_error_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing") << Damage([](const QString&, QByteArray) {}) << "does not exist";
    QTest::newRow("folder") << Damage([](const QString& path, QByteArray) { QDir().mkdir(path); })
                            << "folder";
    QTest::newRow("zero bytes") << Damage([](const QString& path, QByteArray) { write(path, {}); })
                                << "empty";
    QTest::newRow("cut inside the header")
        << Damage([](const QString& path, QByteArray bytes) { write(path, bytes.left(20)); })
        << "cut short inside its header";
    QTest::newRow("cut to 100 bytes")
        << Damage([](const QString& path, QByteArray bytes) { write(path, bytes.left(100)); })
        << "cut short";
    QTest::newRow("last row missing")
        << Damage([](const QString& path, QByteArray bytes) { write(path, bytes.chopped(800)); })
        << "cut short";
    QTest::newRow("random bytes") << Damage([](const QString& path, QByteArray bytes) {
        for (char& byte : bytes)
            byte = char(QRandomGenerator::global()->bounded(256));
        bytes[0] = 'X'; // never a bitmap's signature by chance
        write(path, bytes);
    }) << "not a Windows bitmap";
    QTest::newRow("header claims 60000 x 60000") << Damage([](const QString& path, QByteArray bytes) {
        put_le32(bytes, 18, 60000);
        put_le32(bytes, 22, 60000);
        write(path, bytes);
    }) << "60000 x 60000";
    QTest::newRow("header claims no pixels") << Damage([](const QString& path, QByteArray bytes) {
        put_le32(bytes, 18, 0);
        write(path, bytes);
    }) << "impossible size";
}

void PictureFileTest::bad_file_is_a_clear_error()
{
    QFETCH(Damage, damage);
    QFETCH(QString, reason);
    const PictureFolder folder;
    QFile good("bmp/3.bmp");
    QVERIFY(good.open(QIODevice::ReadOnly));
    const QByteArray bytes = good.readAll();
    good.close();
    QVERIFY(good.remove());
    damage("bmp/3.bmp", bytes);

    try {
        media::load_picture(3);
        QFAIL("a damaged picture loaded");
    } catch (const media::PictureLoadError& error) {
        QCOMPARE(error.asked(), QString("bmp/3.bmp"));
        QCOMPARE(error.resolved(), QDir::current().absoluteFilePath("bmp/3.bmp"));
        QVERIFY2(error.reason().contains(reason), qPrintable(error.reason()));
        QVERIFY(error.report().contains(error.asked()) && error.report().contains(error.resolved()));
    }
}

QTEST_GUILESS_MAIN(PictureFileTest)
#include "picture_file_test.moc"
