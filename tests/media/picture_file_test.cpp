#include "media/picture_file.h"
#include "data_copy.h"
#include "picture_damage.h"
#include "../support/picture_folder.h"

#include <QBuffer>
#include <QFile>
#include <QTest>

class PictureFileTest : public QObject {
    Q_OBJECT

private slots:
    void path_of_a_number_data();
    void path_of_a_number();
    void loads_the_file_afresh_each_time();
    void sharp_picture_where_it_helps_data();
    void sharp_picture_where_it_helps();
    void damaged_picture_data();
    void damaged_picture();
};

void PictureFileTest::path_of_a_number_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("path");
    QTest::newRow("1") << 1 << 1 << "bmp/1.bmp";
    QTest::newRow("9") << 9 << 1 << "bmp/9.bmp";
    QTest::newRow("10") << 10 << 1 << "bmp/10.bmp";
    QTest::newRow("25") << 25 << 1 << "bmp/25.bmp";
    QTest::newRow("9 at 2x") << 9 << 2 << "bmp/9@2x.bmp";
    QTest::newRow("25 at 2x") << 25 << 2 << "bmp/25@2x.bmp";
}

void PictureFileTest::path_of_a_number()
{
    QFETCH(int, number);
    QFETCH(int, scale);
    QFETCH(QString, path);
    QCOMPARE(media::picture_path(number, scale), path);
}

void PictureFileTest::loads_the_file_afresh_each_time()
{
    const PictureFolder folder;
    const QImage first = media::load_picture(7, 1);
    QCOMPARE(first.size(), QSize(265, 201));
    QCOMPARE(first.pixel(0, 0), PictureFolder::colour_picture(7).pixel(0, 0));

    // Replacing the file between two loads must show the new one: no cache.
    QFile::remove("bmp/7.bmp");
    QFile::copy("bmp/8.bmp", "bmp/7.bmp");
    QCOMPARE(media::load_picture(7, 1).pixel(0, 0), PictureFolder::colour_picture(8).pixel(0, 0));
}

void PictureFileTest::sharp_picture_where_it_helps_data()
{
    // What bmp/7@2x.bmp and bmp/7.bmp are; the scale of the picture shown, or
    // 0 and the file reported.
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QString>("sharp");
    QTest::addColumn<bool>("plain");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QString>("reported");
    QTest::newRow("1, sharp present") << 1.0 << "good" << true << 1 << "";
    QTest::newRow("1, sharp missing") << 1.0 << "none" << true << 1 << "";
    QTest::newRow("1, sharp damaged") << 1.0 << "cut" << true << 1 << "";
    QTest::newRow("1, sharp alone") << 1.0 << "good" << false << 0 << "bmp/7.bmp";
    QTest::newRow("1.5, sharp present") << 1.5 << "good" << true << 2 << "";
    QTest::newRow("1.5, sharp missing") << 1.5 << "none" << true << 1 << "";
    QTest::newRow("1.5, sharp damaged") << 1.5 << "cut" << true << 0 << "bmp/7@2x.bmp";
    QTest::newRow("2, sharp present") << 2.0 << "good" << true << 2 << "";
    QTest::newRow("2, sharp missing") << 2.0 << "none" << true << 1 << "";
    QTest::newRow("2, sharp damaged") << 2.0 << "cut" << true << 0 << "bmp/7@2x.bmp";
    QTest::newRow("2, sharp a folder") << 2.0 << "folder" << true << 0 << "bmp/7@2x.bmp";
    QTest::newRow("2, sharp alone") << 2.0 << "good" << false << 2 << "";
    QTest::newRow("2, neither") << 2.0 << "none" << false << 0 << "bmp/7.bmp";
}

void PictureFileTest::sharp_picture_where_it_helps()
{
    QFETCH(qreal, ratio);
    QFETCH(QString, sharp);
    QFETCH(bool, plain);
    QFETCH(int, shown);
    QFETCH(QString, reported);
    const PictureFolder folder;
    QImage sharp_picture = PictureFolder::colour_picture(8).scaled(530, 402);
    QBuffer encoded;
    QVERIFY(encoded.open(QIODevice::WriteOnly) && sharp_picture.save(&encoded, "BMP"));
    if (sharp == "good" || sharp == "cut")
        write_file("bmp/7@2x.bmp", sharp == "good" ? encoded.data() : encoded.data().left(30));
    if (sharp == "folder")
        QVERIFY(QDir().mkdir("bmp/7@2x.bmp"));
    if (!plain)
        QVERIFY(QFile::remove("bmp/7.bmp"));
    sharp_picture.setDevicePixelRatio(2);

    try {
        const QImage picture = media::load_picture(7, ratio);
        QVERIFY2(shown != 0, "a picture loaded where a report was due");
        // Compared with its device pixel ratio.
        QCOMPARE(picture, shown == 2 ? sharp_picture : PictureFolder::colour_picture(7));
    } catch (const media::PictureLoadError& error) {
        QVERIFY2(shown == 0, qPrintable(error.report()));
        QCOMPARE(error.asked(), reported);
        QCOMPARE(error.resolved(), QDir::current().absoluteFilePath(reported));
    }
}

// The sharp drawing by the same rules, but that its absence is no fault.
void PictureFileTest::damaged_picture_data()
{
    QTest::addColumn<int>("damage");
    QTest::addColumn<int>("scale");
    for (const int scale : {1, media::sharp_scale})
        for (std::size_t i = 0; i < picture_damages().size(); ++i)
            if (scale == 1 || !picture_damages()[i].no_file)
                QTest::addRow("%s at %dx", picture_damages()[i].name, scale) << int(i) << scale;
}

// The loader reads into a buffer exactly as long as the file, so under
// AddressSanitizer a check that reads one byte too far fails here.
void PictureFileTest::damaged_picture()
{
    QFETCH(int, damage);
    QFETCH(int, scale);
    const PictureDamage& spoil = picture_damages()[std::size_t(damage)];
    const DataCopy data(ZUMBREL_DATA_DIR, QStringLiteral("3*.bmp"));
    QVERIFY(data.isValid());
    const CurrentDir inside(data.path());
    const QString file = media::picture_path(3, scale);
    QFile game_picture(file);
    QVERIFY(game_picture.open(QIODevice::ReadOnly));
    const QByteArray good = game_picture.readAll();
    QVERIFY(game_picture.remove());
    place_damaged(file, spoil, good);

    const ReadAsNobody reader;
    if (spoil.needs_unprivileged_reader && QFile(file).open(QIODevice::ReadOnly))
        QSKIP("this thread can still read a file without read permission");
    try {
        const QImage shown = media::load_picture(3, scale);
        QVERIFY2(!*spoil.reason, "a damaged picture loaded");
        // What shows is what the decoder alone makes of the bytes, at the scale of its file.
        QImage decoded = QImage::fromData(spoil.spoil(good), "BMP");
        decoded.setDevicePixelRatio(scale);
        QCOMPARE(shown, decoded);
    } catch (const media::PictureLoadError& error) {
        QVERIFY2(*spoil.reason, qPrintable(error.report()));
        QCOMPARE(error.asked(), file);
        QCOMPARE(error.resolved(), QDir::current().absoluteFilePath(file));
        QVERIFY2(error.reason().contains(spoil.reason), qPrintable(error.reason()));
        QVERIFY(error.report().contains(error.asked()) && error.report().contains(error.resolved()));
    }
}

QTEST_GUILESS_MAIN(PictureFileTest)
#include "picture_file_test.moc"
