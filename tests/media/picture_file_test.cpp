#include "media/picture_file.h"
#include "data_copy.h"
#include "picture_damage.h"
#include "../support/picture_folder.h"

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
    // What bmp/7@2x.bmp is; the scale of the picture shown, 0 for a report on it.
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QString>("sharp");
    QTest::addColumn<int>("shown");
    QTest::newRow("1, present") << 1.0 << "good" << 1;
    QTest::newRow("1, missing") << 1.0 << "none" << 1;
    QTest::newRow("1, damaged") << 1.0 << "cut" << 1;
    QTest::newRow("1.5, present") << 1.5 << "good" << 2;
    QTest::newRow("1.5, missing") << 1.5 << "none" << 1;
    QTest::newRow("1.5, damaged") << 1.5 << "cut" << 0;
    QTest::newRow("2, present") << 2.0 << "good" << 2;
    QTest::newRow("2, missing") << 2.0 << "none" << 1;
    QTest::newRow("2, damaged") << 2.0 << "cut" << 0;
    QTest::newRow("2, a folder") << 2.0 << "folder" << 0;
}

void PictureFileTest::sharp_picture_where_it_helps()
{
    QFETCH(qreal, ratio);
    QFETCH(QString, sharp);
    QFETCH(int, shown);
    const PictureFolder folder;
    QImage picture = PictureFolder::colour_picture(8).scaled(530, 402);
    QVERIFY(sharp == "none" || (sharp == "folder" ? QDir().mkdir("bmp/7@2x.bmp") : picture.save("bmp/7@2x.bmp", "BMP")));
    QVERIFY(sharp != "cut" || QFile::resize("bmp/7@2x.bmp", 30));
    picture.setDevicePixelRatio(2);
    try { // compared with its device pixel ratio; a picture loaded where a report is due is never null
        QCOMPARE(media::load_picture(7, ratio), shown == 2 ? picture : shown == 1 ? PictureFolder::colour_picture(7) : QImage());
    } catch (const media::PictureLoadError& error) {
        QCOMPARE(shown, 0);
        QCOMPARE(error.asked(), QString("bmp/7@2x.bmp"));
    }
}

void PictureFileTest::damaged_picture_data()
{
    QTest::addColumn<int>("damage");
    for (std::size_t i = 0; i < picture_damages().size(); ++i)
        QTest::newRow(picture_damages()[i].name) << int(i);
}

// The loader reads into a buffer exactly as long as the file, so under
// AddressSanitizer a check that reads one byte too far fails here.
void PictureFileTest::damaged_picture()
{
    QFETCH(int, damage);
    const PictureDamage& spoil = picture_damages()[std::size_t(damage)];
    const DataCopy data(ZUMBREL_DATA_DIR, QStringLiteral("3.bmp"));
    QVERIFY(data.isValid());
    const CurrentDir inside(data.path());
    QFile game_picture("bmp/3.bmp");
    QVERIFY(game_picture.open(QIODevice::ReadOnly));
    const QByteArray good = game_picture.readAll();
    QVERIFY(game_picture.remove());
    place_damaged("bmp/3.bmp", spoil, good);

    const ReadAsNobody reader;
    if (spoil.needs_unprivileged_reader && QFile("bmp/3.bmp").open(QIODevice::ReadOnly))
        QSKIP("this thread can still read a file without read permission");
    try {
        const QImage shown = media::load_picture(3, 1);
        QVERIFY2(!*spoil.reason, "a damaged picture loaded");
        // What shows is what the decoder alone makes of the bytes.
        QCOMPARE(shown, QImage::fromData(spoil.spoil(good), "BMP"));
    } catch (const media::PictureLoadError& error) {
        QVERIFY2(*spoil.reason, qPrintable(error.report()));
        QCOMPARE(error.asked(), QString("bmp/3.bmp"));
        QCOMPARE(error.resolved(), QDir::current().absoluteFilePath("bmp/3.bmp"));
        QVERIFY2(error.reason().contains(spoil.reason), qPrintable(error.reason()));
        QVERIFY(error.report().contains(error.asked()) && error.report().contains(error.resolved()));
    }
}

QTEST_GUILESS_MAIN(PictureFileTest)
#include "picture_file_test.moc"
