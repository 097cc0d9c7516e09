#include "tools/wav_writer.h"
#include "wav_reader.h"

#include <QTest>

#include <vector>

class AssetEncodersTest : public QObject {
    Q_OBJECT

private slots:
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
