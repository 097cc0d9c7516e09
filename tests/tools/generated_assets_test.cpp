#include "wav_reader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

constexpr int picture_count = 25;
constexpr int stage_count = 10;
constexpr int picture_width = 265;
constexpr int picture_height = 201;
constexpr std::array icon_sizes{16, 32, 48, 64, 128, 256};
constexpr int loudest_sample = 16423; // -6 dBFS
constexpr int quiet_edge = 64;        // a step this small does not click

const QString data_dir = QStringLiteral(ZUMBREL_DATA_DIR);
const QString icon_32 = QStringLiteral(ZUMBREL_ICON_32);
const QString icon_dir = QFileInfo(icon_32).absolutePath();
const QString generator = QStringLiteral(ZUMBREL_MAKE_ASSETS);
const QString build_dir = QStringLiteral(ZUMBREL_BUILD_DIR);
// In sha256sum's format, relative to the build folder, so CI can check a cross
// build with sha256sum -c; remade after a change to the art on purpose with
//   cd build && sha256sum data/*.wav data/bmp/{1..25}.bmp data/bmp/{1..25}@2x.bmp icons/*.png > ../tests/tools/asset_sums.txt
const QString sums_list = QStringLiteral(ZUMBREL_ASSET_SUMS);

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString picture_path(int number, int scale = 1)
{
    return QStringLiteral("%1/bmp/%2%3.bmp").arg(data_dir).arg(number).arg(scale == 1 ? "" : "@2x");
}

QImage picture(int number)
{
    return QImage(picture_path(number), "BMP").convertToFormat(QImage::Format_RGB888);
}

// Files the generator writes, relative to its data and icon folders.
QStringList data_files()
{
    QStringList files{QStringLiteral("sh-hit1.wav"), QStringLiteral("sh-hit2.wav")};
    for (int number = 1; number <= picture_count; ++number)
        files << QStringLiteral("bmp/%1.bmp").arg(number) << QStringLiteral("bmp/%1@2x.bmp").arg(number);
    return files;
}

QStringList icon_files()
{
    QStringList files;
    for (const int size : icon_sizes)
        files << QStringLiteral("zumbrel-%1.png").arg(size);
    return files;
}

// Share of pixels where some channel moves by more than the eye would miss;
// pictures of different sizes count as wholly different.
double visibly_changed_share(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull())
        return a.size() == b.size() ? 0 : 1;
    int changed = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* row_a = a.constScanLine(y);
        const uchar* row_b = b.constScanLine(y);
        for (int x = 0; x < a.width(); ++x) {
            int biggest = 0;
            for (int channel = 0; channel < 3; ++channel)
                biggest = std::max(biggest, std::abs(row_a[3 * x + channel] - row_b[3 * x + channel]));
            changed += biggest > 32 ? 1 : 0;
        }
    }
    return static_cast<double>(changed) / (a.width() * a.height());
}

int sign_changes(const std::vector<std::int16_t>& samples)
{
    int changes = 0;
    for (std::size_t i = 1; i < samples.size(); ++i)
        changes += (samples[i - 1] < 0) != (samples[i] < 0) ? 1 : 0;
    return changes;
}

} // namespace

class GeneratedAssetsTest : public QObject {
    Q_OBJECT

private slots:
    void picture_has_the_game_format_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("scale");
        for (int number = 1; number <= picture_count; ++number)
            for (const int scale : {1, 2})
                QTest::addRow("%d.bmp at %dx", number, scale) << number << scale;
    }

    void picture_has_the_game_format()
    {
        QFETCH(int, number);
        QFETCH(int, scale);
        const QByteArray bytes = contents(picture_path(number, scale));
        constexpr int headers_size = 54;
        const int rows_size = (picture_width * scale * 3 + 3) / 4 * 4 * picture_height * scale;
        QVERIFY2(bytes.size() >= headers_size && bytes.startsWith("BM"), "missing or not a BMP");
        // Read apart from Qt, as the game's loader reads the header itself before Qt decodes the rows.
        const char* const header = bytes.constData();
        QCOMPARE(qFromLittleEndian<quint32>(header + 2), quint32(bytes.size()));
        QCOMPARE(qFromLittleEndian<quint32>(header + 10), quint32{headers_size});
        QCOMPARE(qFromLittleEndian<quint32>(header + 14), 40u); // BITMAPINFOHEADER
        QCOMPARE(qFromLittleEndian<qint32>(header + 18), picture_width * scale);
        QCOMPARE(qFromLittleEndian<qint32>(header + 22), picture_height * scale); // positive: rows run bottom to top
        QCOMPARE(qFromLittleEndian<quint16>(header + 26), 1); // planes
        QCOMPARE(qFromLittleEndian<quint16>(header + 28), 24);
        QCOMPARE(qFromLittleEndian<quint32>(header + 30), 0u); // uncompressed
        QCOMPARE(qFromLittleEndian<quint32>(header + 34), quint32(rows_size));
        QCOMPARE(qFromLittleEndian<quint32>(header + 38), 2835u * scale); // 72 dpi at 1x, as the pictures always declared
        QCOMPARE(qFromLittleEndian<quint32>(header + 42), 2835u * scale);
        QCOMPARE(bytes.size(), headers_size + rows_size);

        QImageReader reader(picture_path(number, scale), "BMP");
        QVERIFY2(!reader.read().isNull(), qPrintable(reader.errorString()));
    }

    void every_pair_of_pictures_differs_visibly()
    {
        std::vector<QImage> pictures;
        for (int number = 1; number <= picture_count; ++number) {
            pictures.push_back(picture(number));
            QVERIFY2(!pictures.back().isNull(), qPrintable(picture_path(number)));
        }
        for (int a = 0; a < picture_count; ++a)
            for (int b = a + 1; b < picture_count; ++b) {
                const QString pair = QStringLiteral("%1.bmp and %2.bmp").arg(a + 1).arg(b + 1);
                QVERIFY2(pictures[a] != pictures[b], qPrintable(pair + " are identical"));
                QVERIFY2(visibly_changed_share(pictures[a], pictures[b]) > 0.05, qPrintable(pair + " look alike"));
            }
    }

    void stage_frames_flip_at_a_glance_data()
    {
        QTest::addColumn<int>("stage");
        for (int stage = 1; stage <= stage_count; ++stage)
            QTest::addRow("stage %d", stage) << stage;
    }

    void stage_frames_flip_at_a_glance()
    {
        QFETCH(int, stage);
        const double share = visibly_changed_share(picture(2 * stage - 1), picture(2 * stage));
        QVERIFY2(share > 0.25, qPrintable(QStringLiteral("only %1 of the pixels change").arg(share)));
    }

    void hit_sound_is_short_and_clean_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("hit 1") << QStringLiteral("sh-hit1.wav");
        QTest::newRow("hit 2") << QStringLiteral("sh-hit2.wav");
    }

    void hit_sound_is_short_and_clean()
    {
        QFETCH(QString, name);
        const WavFile wav = read_wav(contents(data_dir + '/' + name));
        QVERIFY2(wav.problem.isEmpty(), qPrintable(wav.problem));
        QCOMPARE(wav.format, 1);
        QCOMPARE(wav.bits_per_sample, 16);
        QVERIFY(wav.channels == 1 || wav.channels == 2);
        QCOMPARE(wav.sample_rate, 44100u);
        QVERIFY(!wav.samples.empty());
        QVERIFY2(wav.duration_ms() < 150, qPrintable(QStringLiteral("%1 ms").arg(wav.duration_ms())));

        const auto peak = std::ranges::max(wav.samples, {}, [](std::int16_t s) { return std::abs(s); });
        QVERIFY2(std::abs(peak) <= loudest_sample, qPrintable(QStringLiteral("peak %1").arg(peak)));
        for (std::uint16_t channel = 0; channel < wav.channels; ++channel) {
            QVERIFY(std::abs(wav.samples[channel]) <= quiet_edge);
            QVERIFY(std::abs(wav.samples[wav.samples.size() - wav.channels + channel]) <= quiet_edge);
        }
    }

    void hit_sounds_are_told_apart_by_pitch()
    {
        const WavFile first = read_wav(contents(data_dir + QStringLiteral("/sh-hit1.wav")));
        const WavFile second = read_wav(contents(data_dir + QStringLiteral("/sh-hit2.wav")));
        QVERIFY(first.samples != second.samples);
        // Sign changes per millisecond track brightness; one must be clearly the higher.
        const double rate_first = sign_changes(first.samples) / first.duration_ms();
        const double rate_second = sign_changes(second.samples) / second.duration_ms();
        QVERIFY2(std::max(rate_first, rate_second) > 2 * std::min(rate_first, rate_second),
                 qPrintable(QStringLiteral("%1 vs %2 sign changes per ms").arg(rate_first).arg(rate_second)));
    }

    void icon_is_square_at_its_size_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        for (const int size : icon_sizes)
            QTest::addRow("%d px", size) << QStringLiteral("zumbrel-%1.png").arg(size) << size;
    }

    void icon_is_square_at_its_size()
    {
        QFETCH(QString, name);
        QFETCH(int, size);
        QVERIFY2(contents(icon_dir + '/' + name).startsWith("\x89PNG"), "missing or not a PNG");
        const QImage icon(icon_dir + '/' + name);
        QVERIFY2(!icon.isNull(), "missing or unreadable");
        QCOMPARE(icon.size(), QSize(size, size));
    }

    void small_icon_keeps_to_sixteen_colours()
    {
        const QImage icon(icon_32);
        QCOMPARE(icon.size(), QSize(32, 32));
        QSet<QRgb> colours;
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                colours.insert(icon.pixel(x, y));
        QVERIFY2(colours.size() <= 16, qPrintable(QStringLiteral("%1 colours").arg(colours.size())));
    }

    void second_run_writes_the_same_bytes()
    {
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        const QString data = scratch.filePath(QStringLiteral("data"));
        const QString icons = scratch.filePath(QStringLiteral("icons"));
        QCOMPARE(QProcess::execute(generator, {data, icons}), 0);
        for (const QString& file : data_files())
            QVERIFY2(contents(data + '/' + file) == contents(data_dir + '/' + file), qPrintable(file));
        for (const QString& file : icon_files())
            QVERIFY2(contents(icons + '/' + file) == contents(icon_dir + '/' + file), qPrintable(file));
    }

    void every_file_has_its_checked_in_sum()
    {
        QStringList expected;
        for (const QString& file : data_files())
            expected << QStringLiteral("data/") + file;
        for (const QString& file : icon_files())
            expected << QStringLiteral("icons/") + file;
        QStringList problems;
        for (const QByteArray& line : contents(sums_list).split('\n')) {
            if (line.isEmpty())
                continue;
            const QString file = QString::fromUtf8(line.sliced(std::min<qsizetype>(66, line.size())));
            const QByteArray sum
                = QCryptographicHash::hash(contents(build_dir + '/' + file), QCryptographicHash::Sha256).toHex();
            if (!expected.removeOne(file))
                problems << file + QStringLiteral(" is listed but not generated");
            else if (!line.startsWith(sum + "  "))
                problems << file + QStringLiteral(" has sum ") + QString::fromLatin1(sum);
        }
        for (const QString& file : expected)
            problems << file + QStringLiteral(" has no sum in the list");
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("\n"))));
    }

    void generator_refuses_what_it_cannot_do_data()
    {
        // "@" stands for a fresh scratch folder, so a partial run leaves nothing behind;
        // a folder made there in the way of one file must stop the run, named with a reason.
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("in_the_way");
        const QString none;
        const QStringList scratch{QStringLiteral("@"), QStringLiteral("@/icons")};
        QTest::newRow("no folders") << QStringList{} << none;
        QTest::newRow("data under a file")
            << QStringList{icon_32 + QStringLiteral("/data"), QStringLiteral("@")} << none;
        QTest::newRow("icons under a file")
            << QStringList{QStringLiteral("@"), icon_32 + QStringLiteral("/icons")} << none;
        QTest::newRow("picture") << scratch << QStringLiteral("bmp/1.bmp");
        QTest::newRow("sound") << scratch << QStringLiteral("sh-hit1.wav");
        QTest::newRow("icon") << scratch << QStringLiteral("icons/zumbrel-16.png");
    }

    void generator_refuses_what_it_cannot_do()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, in_the_way);
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        QVERIFY(in_the_way.isEmpty() || QDir(scratch.path()).mkpath(in_the_way));
        arguments.replaceInStrings(QStringLiteral("@"), scratch.path());
        QProcess run;
        run.start(generator, arguments);
        QVERIFY(run.waitForFinished(-1));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QVERIFY(run.exitCode() != 0);
        const QString message = QString::fromLocal8Bit(run.readAllStandardError()).trimmed();
        QVERIFY2(!message.isEmpty() && message.contains(in_the_way + QStringLiteral(": ")), qPrintable(message));
    }
};

QTEST_GUILESS_MAIN(GeneratedAssetsTest)
#include "generated_assets_test.moc"
