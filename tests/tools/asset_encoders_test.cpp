#include "bmp_reader.h"
#include "tools/bmp_writer.h"
#include "tools/wav_writer.h"
#include "wav_reader.h"

#include <QImage>
#include <QTest>

#include <vector>

namespace {

// Every pixel different, and each channel running its own way, so a flipped
// row order, a swapped channel or a slipped padding byte changes the result.
QImage pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((7 * x + y) % 256, (11 * y + 3 * x) % 256, (13 * (x + 5 * y)) % 256));
    return image;
}

} // namespace

class AssetEncodersTest : public QObject {
    Q_OBJECT

private slots:
    void bmp_round_trips_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        // Widths 1 to 4 cover each amount of row padding.
        QTest::newRow("1x1") << 1 << 1;
        QTest::newRow("2x3") << 2 << 3;
        QTest::newRow("3x2") << 3 << 2;
        QTest::newRow("4x2") << 4 << 2;
        QTest::newRow("picture size") << 265 << 201;
    }

    void bmp_round_trips()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        const QImage original = pattern(width, height);
        const BmpFile bmp = read_bmp(assets::encode_bmp24(original));
        QVERIFY2(bmp.problem.isEmpty(), qPrintable(bmp.problem));
        QCOMPARE(bmp.bits_per_pixel, 24);
        QCOMPARE(bmp.compression, 0u);
        QCOMPARE(bmp.pixels, original.convertToFormat(QImage::Format_RGB888));
    }

    void wav_round_trips_data()
    {
        QTest::addColumn<std::vector<std::int16_t>>("samples");
        QTest::newRow("silence") << std::vector<std::int16_t>{};
        QTest::newRow("extremes") << std::vector<std::int16_t>{0, 1, -1, 32767, -32768};
        QTest::newRow("odd count") << std::vector<std::int16_t>{12345, -2, 300};
    }

    void wav_round_trips()
    {
        QFETCH(std::vector<std::int16_t>, samples);
        const WavFile wav = read_wav(assets::encode_wav(samples));
        QVERIFY2(wav.problem.isEmpty(), qPrintable(wav.problem));
        QCOMPARE(wav.format, 1);
        QCOMPARE(wav.channels, 1);
        QCOMPARE(wav.sample_rate, 44100u);
        QCOMPARE(wav.bits_per_sample, 16);
        QCOMPARE(wav.samples, samples);
    }
};

QTEST_GUILESS_MAIN(AssetEncodersTest)
#include "asset_encoders_test.moc"
