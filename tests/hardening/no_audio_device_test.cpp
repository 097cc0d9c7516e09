#include "data_copy.h"
#include "game_window.h"
#include "media/sound_backend.h"
#include "media/sound_output.h"
#include "desktop.h"
#include "game_process.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <csignal>

namespace {

constexpr int patience_ms = 20000;

// Names how sound is to be had: the variables set for SDL, and those taken away.
struct AudioSetting {
    QByteArray driver; // empty: SDL picks
    bool has_device = false;
};

// No sound server can answer: the runtime folder holds none, and PulseAudio
// is sent to a socket that does not exist, which also keeps it from spawning one.
void without_sound_server(QProcessEnvironment& env, const QString& runtime)
{
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("PULSE_SERVER", "unix:" + runtime + "/no-server");
}

bool sound_card_present()
{
    QFile cards("/proc/asound/cards");
    return cards.open(QIODevice::ReadOnly) && !cards.readAll().contains("no soundcards");
}

} // namespace

Q_DECLARE_METATYPE(AudioSetting)

class NoAudioDeviceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void start_up_data();
    void start_up();
    void silent_round_data();
    void silent_round();

private:
    void add_settings(bool with_devices);
};

void NoAudioDeviceTest::initTestCase()
{
    if (sound_card_present())
        qInfo("This machine has a sound card: the rows said to have no device may find it.");
}

void NoAudioDeviceTest::add_settings(bool with_devices)
{
    QTest::addColumn<AudioSetting>("setting");
    if (with_devices) {
        QTest::newRow("device: SDL dummy driver") << AudioSetting{"dummy", true};
        QTest::newRow("device: SDL disk driver") << AudioSetting{"disk", true};
    }
    QTest::newRow("no device: SDL picks, no server") << AudioSetting{"", false};
    QTest::newRow("no device: ALSA, no card") << AudioSetting{"alsa", false};
    QTest::newRow("no device: PulseAudio, no server") << AudioSetting{"pulseaudio", false};
}

void NoAudioDeviceTest::start_up_data()
{
    add_settings(true);
}

// From process start to the window on an X server, with and without sound.
void NoAudioDeviceTest::start_up()
{
    QFETCH(AudioSetting, setting);
    const auto x = make_desktop("x11", ZUMBREL_PROGRAM, ZUMBREL_DATA_DIR);
    QVERIFY2(x->isValid(), "cannot start Xvfb");
    QProcessEnvironment env = x->environment();
    // In the game's own runtime folder, whoever its user is.
    const QString runtime = env.value("XDG_RUNTIME_DIR");
    without_sound_server(env, runtime);
    env.insert("SDL_DISKAUDIOFILE", runtime + "/out.raw");
    if (setting.driver.isEmpty())
        env.remove("SDL_AUDIODRIVER");
    else
        env.insert("SDL_AUDIODRIVER", setting.driver);

    QElapsedTimer clock;
    clock.start();
    const bool shown = x->start_game(with_full_leak_stacks(env));
    qInfo("start-up to the window taking a click: %lld ms", clock.elapsed());
    const GameRun end = x->end_game(SIGTERM, patience_ms);
    const QByteArray said = end.standard_error.toLocal8Bit();
    QVERIFY2(shown, "no window within 30 s: " + said);
    QVERIFY2(!end.timed_out && !end.crashed && end.exit_code == 0, said);
    QVERIFY2(!end.standard_error.contains("ALSA lib"), said); // the probe stays quiet
    QVERIFY2(sanitizer_finding(end.standard_error).isEmpty(), said);
}

void NoAudioDeviceTest::silent_round_data()
{
    add_settings(false);
}

// The real device without a device to open, and a whole round through the window.
void NoAudioDeviceTest::silent_round()
{
    QFETCH(AudioSetting, setting);
    const QTemporaryDir runtime;
    QProcessEnvironment env;
    without_sound_server(env, runtime.path());
    for (const QString& name : env.keys())
        qputenv(qPrintable(name), env.value(name).toLocal8Bit());
    if (setting.driver.isEmpty())
        qunsetenv("SDL_AUDIODRIVER");
    else
        qputenv("SDL_AUDIODRIVER", setting.driver);

    QElapsedTimer clock;
    clock.start();
    media::SoundOutput sounds;
    sounds.start([] { return media::make_sdl_backend(); });
    const qint64 constructing = clock.elapsed();
    const bool sounding = sounds.wait_for_output(true, std::chrono::milliseconds(patience_ms));
    qInfo("sound device: %lld ms on the event thread, %lld ms to open on its own, %s", constructing,
          clock.elapsed(), sounding ? "a device was found" : "no device, silent");

    const CurrentDir inside(ZUMBREL_DATA_DIR);
    GameWindow window(sounds);
    QVERIFY(window.active());
    QVERIFY(window.play_round());
    QVERIFY2(window.reports().isEmpty(), qPrintable(window.reports().join('\n')));
    QCOMPARE(window.form().round_state().hit_count, 200);
    QVERIFY(window.control<QPushButton>(layout::start_btn).isEnabled());
    QVERIFY(!window.timer().isActive());
    window.form().close();
}

QTEST_MAIN(NoAudioDeviceTest)
#include "no_audio_device_test.moc"
