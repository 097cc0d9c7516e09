#include "media/sound_backend.h"
#include "media/sound_output.h"
#include "tools/wav_writer.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int sound_frames = 2000;
constexpr int tail_buffers = 20;
constexpr int device_rate = 48000;
constexpr std::chrono::seconds patience(20);
const media::SoundOutput::Maker sdl = [] { return media::make_sdl_backend(); };

enum class Action { play, close };

// Acts from the first frame of buffer `buffer`, counted from the first buffer
// mixed after the sounds are opened.
struct Step {
    int buffer = 0;
    Action action = Action::play;
    std::string alias;
};

struct Opening {
    std::string file;
    std::string alias;
};

struct Case {
    std::vector<Opening> openings;
    std::vector<Step> steps;
    // Made while the output is let go after idling, to be opened again for the steps.
    std::optional<std::vector<Step>> while_let_go{};
};

struct Frame {
    int left = 0;
    int right = 0;
    bool operator==(const Frame&) const = default;
};

void write_file(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// In the device's own format, so loading converts nothing and the output holds
// exact values. Frame i holds i + 1 on the left and +-(i + 1) on the right, so
// a mix of a.wav (+) and b.wav (-) still tells which is at which frame.
void write_wav(const QString& name, qint16 sign)
{
    std::vector<std::int16_t> frames;
    for (qint16 i = 1; i <= sound_frames; ++i)
        frames.insert(frames.end(), {i, qint16(sign * i)});
    write_file(name, assets::encode_wav(frames, 2, device_rate));
}

void write_sound_files()
{
    write_wav("a.wav", 1);
    write_wav("b.wav", -1);
    write_file("empty.wav", {});
    write_file("text.wav", "This is not a sound.\n");
    QImage(1, 1, QImage::Format_RGB32).save("picture.wav", "BMP");
    QByteArray noise(4096, 0);
    QRandomGenerator bytes(20240501);
    for (char& byte : noise)
        byte = static_cast<char>(bytes.generate());
    write_file("random.wav", noise);
}

int right_sign(const std::string& file)
{
    return file == "a.wav" ? 1 : file == "b.wav" ? -1 : 0;
}

// What an ideal mixer outputs for the case, from buffer 0 on.
std::vector<Frame> expected_output(const Case& c, int buffer_frames, int buffers)
{
    std::map<std::string, int> sign;
    for (const Opening& opening : c.openings) {
        if (const int s = right_sign(opening.file))
            sign[opening.alias] = s;
        else
            sign.erase(opening.alias);
    }
    for (const Step& step : c.while_let_go.value_or(std::vector<Step>{}))
        if (step.action == Action::close)
            sign.erase(step.alias);
    std::map<std::string, int> position;
    std::vector<Frame> out(static_cast<std::size_t>(buffers * buffer_frames));
    for (int buffer = 0; buffer < buffers; ++buffer) {
        for (const Step& step : c.steps) {
            if (step.buffer != buffer)
                continue;
            if (step.action == Action::close)
                sign.erase(step.alias);
            if (sign.contains(step.alias))
                position[step.alias] = 0;
            else
                position.erase(step.alias);
        }
        for (int i = 0; i < buffer_frames; ++i) {
            Frame& frame = out[static_cast<std::size_t>(buffer * buffer_frames + i)];
            for (auto& [alias, at] : position) {
                if (at < sound_frames) {
                    ++at;
                    frame.left += at;
                    frame.right += sign[alias] * at;
                }
            }
        }
    }
    return out;
}

// The steps run in the mixer's post-mix hook, between two buffers, so each
// lands on a known buffer however slowly this machine runs. The test thread
// waits meanwhile, so the device is never called from two threads at once.
struct Script {
    media::SoundOutput& device;
    const std::vector<Step>& steps;
    int last_buffer = 0;
    int buffer = 0;
    int buffer_frames = 0;
    std::mutex mutex{};
    std::condition_variable finished{};
    bool done = false;
};

void SDLCALL run_steps(void* data, Uint8*, int bytes)
{
    auto& script = *static_cast<Script*>(data);
    const std::lock_guard lock(script.mutex);
    if (script.done)
        return;
    script.buffer_frames = bytes / 4;
    for (const Step& step : script.steps) {
        if (step.buffer == script.buffer && step.action == Action::play)
            script.device.play_from_start(step.alias);
        if (step.buffer == script.buffer && step.action == Action::close)
            script.device.close(step.alias);
    }
    script.done = ++script.buffer > script.last_buffer;
    if (script.done)
        script.finished.notify_one();
}

// Drops the silence mixed before the first step, which lines the output up
// with the ideal one.
std::vector<Frame> sounding_part(std::vector<Frame> frames)
{
    const auto first = std::find_if(frames.begin(), frames.end(), [](Frame f) { return f != Frame{}; });
    frames.erase(frames.begin(), first);
    return frames;
}

std::vector<Frame> read_output(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QDataStream in(&file);
    // The disk driver writes the device's samples as they are, in this machine's byte order.
    in.setByteOrder(QSysInfo::ByteOrder == QSysInfo::LittleEndian ? QDataStream::LittleEndian
                                                                  : QDataStream::BigEndian);
    std::vector<Frame> frames;
    qint16 left = 0;
    qint16 right = 0;
    while (!in.atEnd()) {
        in >> left >> right;
        frames.push_back({left, right});
    }
    return frames;
}

QString describe(const std::vector<Frame>& frames, std::size_t at)
{
    if (at >= frames.size())
        return QStringLiteral("the end");
    const Frame f = frames[at];
    return QStringLiteral("a.wav at %1, b.wav at %2").arg((f.left + f.right) / 2).arg((f.left - f.right) / 2);
}

} // namespace

Q_DECLARE_METATYPE(Case)

class SoundOutputTest : public QObject {
    Q_OBJECT

    std::optional<QTemporaryDir> dir_;

private slots:
    void init()
    {
        dir_.emplace();
        QVERIFY(dir_->isValid());
        QVERIFY(QDir::setCurrent(dir_->path()));
        write_sound_files();
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", dir_->filePath("out.raw").toLocal8Bit());
        // Otherwise the disk driver keeps a sound card's pace.
        qputenv("SDL_DISKAUDIODELAY", "1");
    }

    void output_matches_an_ideal_mixer_data()
    {
        QTest::addColumn<Case>("c");
        const std::vector<Opening> both{{"a.wav", "p1"}, {"b.wav", "p2"}};
        std::vector<Step> p1_25_times;
        for (int buffer = 0; buffer < 25; ++buffer)
            p1_25_times.push_back({buffer, Action::play, "p1"});

        QTest::newRow("a played sound starts") << Case{both, {{0, Action::play, "p1"}}};
        QTest::newRow("replay cuts and starts over") << Case{both, {{0, Action::play, "p1"}, {2, Action::play, "p1"}}};
        QTest::newRow("the other name sounds on")
            << Case{both, {{0, Action::play, "p1"}, {1, Action::play, "p2"}, {2, Action::play, "p1"}}};
        QTest::newRow("25 plays, 25 starts") << Case{both, p1_25_times};
        QTest::newRow("close stops its name only, for good")
            << Case{both,
                    {{0, Action::play, "p1"}, {0, Action::play, "p2"}, {1, Action::close, "p1"}, {2, Action::play, "p1"}}};
        QTest::newRow("unknown name") << Case{both, {{0, Action::play, "p9"}, {0, Action::play, "p1"}}};
        QTest::newRow("reopening replaces the sound")
            << Case{{{"a.wav", "p1"}, {"b.wav", "p1"}, {"a.wav", "p2"}}, {{0, Action::play, "p1"}, {1, Action::play, "p2"}}};
        QTest::newRow("reopening from a bad file closes the name")
            << Case{{{"a.wav", "p1"}, {"missing.wav", "p1"}, {"b.wav", "p2"}},
                    {{0, Action::play, "p1"}, {0, Action::play, "p2"}}};
        Case nine{{}, {}, std::vector<Step>{}};
        for (const std::string name : {"1", "2", "3", "4", "5", "6", "7", "8", "9"}) {
            nine.openings.push_back({name < "5" ? "a.wav" : "b.wav", name});
            nine.steps.push_back({0, Action::play, name});
        }
        QTest::newRow("nine names sound at once, after a reopening") << nine;
        for (const char* bad : {"missing.wav", "empty.wav", "random.wav", "picture.wav", "text.wav"}) {
            QTest::newRow(bad) << Case{{{bad, "p1"}, {"b.wav", "p2"}},
                                       {{0, Action::play, "p1"}, {0, Action::play, "p2"}, {1, Action::play, "p1"}}};
        }
        const std::vector<Step> both_at_0{{0, Action::play, "p1"}, {0, Action::play, "p2"}};
        QTest::newRow("let go: plays are silent, a close holds, sounds stay loaded")
            << Case{both, both_at_0, {{{0, Action::play, "p1"}, {0, Action::close, "p2"}}}};
    }

    void output_matches_an_ideal_mixer()
    {
        QFETCH(Case, c);
        int last_buffer = tail_buffers;
        for (const Step& step : c.steps)
            last_buffer = std::max(last_buffer, step.buffer + tail_buffers);
        int buffer_frames = 0;
        {
            media::SoundOutput device;
            device.start(sdl);
            for (const Opening& opening : c.openings)
                device.open(opening.file, opening.alias);
            if (c.while_let_go) {
                QVERIFY(device.wait_for_output(false, patience));
                for (const Step& step : *c.while_let_go)
                    step.action == Action::play ? device.play_from_start(step.alias) : device.close(step.alias);
            }
            device.keep_ready(true);
            QVERIFY(device.wait_for_output(true, patience));
            Script script{device, c.steps, last_buffer};
            Mix_SetPostMix(run_steps, &script);
            std::unique_lock lock(script.mutex);
            const bool ran = script.finished.wait_for(lock, std::chrono::minutes(1), [&] { return script.done; });
            lock.unlock();
            Mix_SetPostMix(nullptr, nullptr);
            QVERIFY2(ran, "the mixer stopped calling back");
            buffer_frames = script.buffer_frames;
        }
        // The output starts small, 2.7 ms at 48 kHz, which a hit waits out at worst.
        QCOMPARE(buffer_frames, 128);
        QVERIFY(buffer_frames * tail_buffers > sound_frames);

        const std::vector<Frame> all = read_output(dir_->filePath("out.raw"));
        const std::vector<Frame> actual = sounding_part(all);
        const std::vector<Frame> expected = sounding_part(expected_output(c, buffer_frames, last_buffer + 1));
        QVERIFY2((all.size() - actual.size()) % buffer_frames == 0, "the first sound began inside a buffer");
        for (std::size_t i = 0; i < std::max(actual.size(), expected.size()); ++i) {
            const Frame want = i < expected.size() ? expected[i] : Frame{};
            if (i < actual.size() ? actual[i] != want : want != Frame{}) {
                QFAIL(qPrintable(QStringLiteral("frame %1: expected %2, got %3")
                                     .arg(i)
                                     .arg(describe(expected, i), describe(actual, i))));
            }
        }
    }

    void leaves_no_trace_data()
    {
        QTest::addColumn<QByteArray>("driver");
        QTest::addColumn<bool>("sounds");
        QTest::addColumn<Uint32>("up_before");
        QTest::newRow("with a device") << QByteArray("disk") << true << 0u;
        QTest::newRow("without a device") << QByteArray("no-such-driver") << false << 0u;
        QTest::newRow("a device that fails to open") << QByteArray("disk") << false << 0u;
        QTest::newRow("with events and timer up") << QByteArray("disk") << true << Uint32(SDL_INIT_EVENTS | SDL_INIT_TIMER);
    }

    void leaves_no_trace()
    {
        QFETCH(QByteArray, driver);
        QFETCH(bool, sounds);
        QFETCH(Uint32, up_before);
        qputenv("SDL_AUDIODRIVER", driver);
        qputenv("SDL_DISKAUDIOFILE", sounds ? "out.raw" : "."); // a folder does not open
        QCOMPARE(SDL_InitSubSystem(up_before), 0);
        // SDL only takes a signal nobody handles, and QtTest handles SIGTERM.
        struct sigaction unhandled{};
        unhandled.sa_handler = SIG_DFL;
        struct sigaction qtest{};
        struct sigaction during{};
        QCOMPARE(sigaction(SIGTERM, &unhandled, &qtest), 0);
        {
            media::SoundOutput device;
            device.start(sdl);
            device.open("a.wav", "p1");
            QCOMPARE(device.wait_for_output(true, patience), sounds);
            sigaction(SIGTERM, &qtest, &during);
            device.play_from_start("p1");
        }
        QVERIFY2(during.sa_handler == SIG_DFL, "SDL took SIGTERM");
        QCOMPARE(Mix_QuerySpec(nullptr, nullptr, nullptr), 0);
        QCOMPARE(SDL_WasInit(SDL_INIT_EVERYTHING), up_before);
        SDL_QuitSubSystem(up_before);
    }

    void server_latency_keeps_the_players_own_data()
    {
        QTest::addColumn<QByteArray>("players");
        QTest::newRow("none") << QByteArray();
        QTest::newRow("the player's") << QByteArray("40");
    }

    void server_latency_keeps_the_players_own()
    {
        QFETCH(QByteArray, players);
        if (players.isEmpty())
            qunsetenv(media::pulseaudio_latency_variable);
        else
            qputenv(media::pulseaudio_latency_variable, players);
        media::set_sound_server_latency();
        const QByteArray set = qgetenv(media::pulseaudio_latency_variable);
        QVERIFY(players.isEmpty() ? set.toInt() > 0 : set == players);
        qunsetenv(media::pulseaudio_latency_variable);
    }
};

QTEST_APPLESS_MAIN(SoundOutputTest)
#include "sound_output_test.moc"
