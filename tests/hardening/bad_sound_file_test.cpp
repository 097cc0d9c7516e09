#include "app/form1.h"
#include "data_copy.h"
#include "game_window.h"
#include "media/sound_backend.h"
#include "media/sound_output.h"
#include "disk_audio.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

// Puts a spoiled sound at `path`, where no file is yet.
using SoundDamage = void (*)(const QString& path, const QString& data_dir);

Q_DECLARE_METATYPE(SoundDamage)

namespace {

// The game's own sound at `path`, lengthened to `size` bytes.
void padded_sound(const QString& path, qint64 size)
{
    if (!QFile::copy(ZUMBREL_DATA_DIR "/" + path, path) || !QFile::resize(path, size))
        qFatal("cannot pad %s", qPrintable(path));
}

} // namespace

// The real window and the real SDL device, with a hit sound spoiled.
class BadSoundFileTest : public QObject {
    Q_OBJECT

private slots:
    void round_plays_on_data();
    void round_plays_on();
};

void BadSoundFileTest::round_plays_on_data()
{
    QTest::addColumn<SoundDamage>("damage");
    QTest::addColumn<QStringList>("spoiled");
    QTest::addColumn<bool>("heard");

    struct Damage {
        const char* name;
        SoundDamage damage;
        bool refused = true;
    };
    const Damage damages[] = {
        {"missing", [](const QString&, const QString&) {}},
        {"zero bytes", [](const QString& path, const QString&) { write_file(path, {}); }},
        {"random bytes",
         [](const QString& path, const QString&) {
             QByteArray noise(8192, 0);
             QRandomGenerator bytes(0x50d);
             for (char& byte : noise)
                 byte = char(bytes.bounded(256));
             write_file(path, noise);
         }},
        {"a picture", [](const QString& path, const QString& data) { QFile::copy(data + "/bmp/1.bmp", path); }},
        {"a folder", [](const QString& path, const QString&) { QDir().mkdir(path); }},
        {"a named pipe", [](const QString& path, const QString&) { make_named_pipe(path); }},
        {"a link to /dev/zero", [](const QString& path, const QString&) { QFile::link("/dev/zero", path); }},
        {"an 8 GB sparse file",
         [](const QString& path, const QString&) { make_sparse_file(path, qint64(8) << 30); }},
        // Zeros after the sound, past its own length; the bound is 16 MiB.
        {"padded to 16 MiB", [](const QString& path, const QString&) { padded_sound(path, qint64(16) << 20); },
         false},
        {"padded to 16 MiB and a byte",
         [](const QString& path, const QString&) { padded_sound(path, (qint64(16) << 20) + 1); }},
    };
    for (const auto& [name, damage, refused] : damages) {
        QTest::addRow("sh-hit1.wav %s", name) << damage << QStringList{"sh-hit1.wav"} << true;
        QTest::addRow("sh-hit2.wav %s", name) << damage << QStringList{"sh-hit2.wav"} << true;
        QTest::addRow("both %s", name) << damage << QStringList{"sh-hit1.wav", "sh-hit2.wav"} << !refused;
    }
}

void BadSoundFileTest::round_plays_on()
{
    QFETCH(SoundDamage, damage);
    QFETCH(QStringList, spoiled);
    QFETCH(bool, heard);
    const DataCopy data(ZUMBREL_DATA_DIR);
    QVERIFY(data.isValid());
    const CurrentDir inside(data.path());
    for (const QString& file : spoiled) {
        QVERIFY(QFile::remove(file));
        damage(file, data.path());
    }
    const QString output = data.filePath("out.raw");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", output.toLocal8Bit());

    {
        media::SoundOutput sounds;
        sounds.start([] { return media::make_sdl_backend(); });
        GameWindow window(sounds);
        QVERIFY(window.active());
        window.click_start();
        QVERIFY(sounds.wait_for_output(true, std::chrono::seconds(20)));
        for (int hit = 0; hit < 10; ++hit)
            window.tap();
        QTest::qWait(300); // for the mixer to take the last sounds
        QCOMPARE(window.form().round_state().hit_count, 10);
        QCOMPARE(window.control<QLabel>(layout::Label4).text(), QString("10"));
        QVERIFY2(window.reports().isEmpty(), qPrintable(window.reports().join('\n')));
        window.form().close();
    }
    QCOMPARE(anything_sounded(output), heard);
}

QTEST_MAIN(BadSoundFileTest)
#include "bad_sound_file_test.moc"
