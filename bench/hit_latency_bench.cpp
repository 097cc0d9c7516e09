// How long a counted hit takes in the real window: from the space bar's key
// event entering the window to its picture being in Picture2 and its sound
// started, with the pictures in the page cache and out of it; then what each
// step of a hit costs on its own. All of it on a screen of one device pixel to
// a pixel and again on one of two, where the sharp pictures show, so the two
// compare within one run. Prints figures; never judges them.
//   zumbrel_hit_latency_bench [data-dir] [rounds]
#include "bench/offscreen_run.h"
#include "bench/page_cache.h"
#include "game_window.h"
#include "summary.h"
#include "media/picture_file.h"
#include "media/sound_backend.h"
#include "media/sound_output.h"

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QWindow>
#include <QTemporaryDir>

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int hits_per_round = 200;
constexpr int stage_pictures = 20;

double micros(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

// A hit's last act is starting its sound: this notes the moment it returned.
class StampingSoundDevice final : public media::SoundDevice {
public:
    explicit StampingSoundDevice(media::SoundDevice& inner) : inner_(inner) {}

    void open(std::string_view file, std::string_view alias) override { inner_.open(file, alias); }
    void play_from_start(std::string_view alias) override
    {
        inner_.play_from_start(alias);
        started_ = Clock::now();
    }
    void close(std::string_view alias) override { inner_.close(alias); }
    void keep_ready(bool ready) override { inner_.keep_ready(ready); }

    Clock::time_point started() const { return started_; }

private:
    media::SoundDevice& inner_;
    Clock::time_point started_{};
};

// Counts the pictures whose pages could not all be dropped.
int evict_pictures()
{
    int still_cached = 0;
    for (int n = 1; n <= 25; ++n)
        for (const int scale : {1, media::sharp_scale})
            if (evict_from_page_cache(media::picture_path(n, scale).toStdString()) != 0)
                ++still_cached;
    return still_cached;
}

// The offscreen platform's screens side by side: one device pixel to a pixel,
// then two. The file must outlive the application.
QString write_screens(const QTemporaryDir& dir)
{
    const QString path = dir.filePath("screens.json");
    QFile file(path);
    const QByteArray screens = R"({"screens": [
        {"name": "1x", "x": 0, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
        {"name": "2x", "x": 1024, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 2}]})";
    if (!file.open(QIODevice::WriteOnly) || file.write(screens) != screens.size())
        give_up("cannot write the offscreen screens");
    return path;
}

struct HitTimes {
    std::vector<double> to_sound_started;
    std::vector<double> rest_of_press;
    bool cold = false;
    int not_evicted = 0;
};

HitTimes play_rounds(GameWindow& game, const StampingSoundDevice& sounds, int rounds, bool cold)
{
    HitTimes times;
    times.cold = cold;
    for (int round = 0; round < rounds; ++round) {
        game.click_start();
        for (int hit = 1; hit <= hits_per_round; ++hit) {
            if (cold)
                times.not_evicted += evict_pictures() > 0;
            const auto pressed = Clock::now();
            game.press();
            const auto handled = Clock::now();
            if (game.form().round_state().hit_count != hit || sounds.started() < pressed)
                give_up("a space-bar press was not counted as a hit");
            game.release();
            times.to_sound_started.push_back(micros(sounds.started() - pressed));
            times.rest_of_press.push_back(micros(handled - sounds.started()));
        }
        if (game.form().round_state().is_playing)
            give_up("the round did not end at 200 hits");
    }
    return times;
}

void print_hits(const char* title, const HitTimes& times)
{
    std::printf("%s\n", title);
    print_summary("  key event in -> picture shown and sound started", times.to_sound_started, "us");
    print_summary("  sound started -> the press's event-loop pass done, the repaint in it", times.rest_of_press, "us");
    if (times.cold)
        std::printf("  hits with a picture still in the page cache (mincore): %d\n", times.not_evicted);
}

// Times step(i) for each i; prepare(i) runs before it, untimed.
template <typename Prepare, typename Step>
std::vector<double> time_step(int count, Prepare&& prepare, Step&& step)
{
    std::vector<double> took;
    took.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        prepare(i);
        const auto start = Clock::now();
        step(i);
        took.push_back(micros(Clock::now() - start));
    }
    return took;
}

} // namespace

int main(int argc, char** argv)
{
    prepare_offscreen_run(argc, argv);
    const QTemporaryDir scratch;
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(write_screens(scratch)));
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 50;
    QApplication app(argc, argv);

    media::SoundOutput device;

    device.start([] { return media::make_sdl_backend(); });
    StampingSoundDevice sounds(device);
    GameWindow game(sounds);
    if (!game.active())
        give_up("the window never got the keyboard");
    std::printf("platform %s, audio driver %s, %d rounds of %d hits each run\n",
                qUtf8Printable(QApplication::platformName()),
                SDL_GetCurrentAudioDriver() ? SDL_GetCurrentAudioDriver() : "none", rounds,
                hits_per_round);

    std::vector<double> warm_p99;
    for (QScreen* const screen : QApplication::screens()) {
        game.form().windowHandle()->setScreen(screen);
        game.form().move(screen->geometry().topLeft());
        QApplication::processEvents();
        if (game.form().screen() != screen)
            give_up("the window did not move to another screen");
        const qreal ratio = game.form().devicePixelRatio();
        std::printf("\n=== device pixel ratio %g ===\n", ratio);
        play_rounds(game, sounds, 1, false); // warm-up, not reported
        const HitTimes warm = play_rounds(game, sounds, rounds, false);
        print_hits("warm page cache:", warm);
        warm_p99.push_back(percentile(warm.to_sound_started, 99));
        print_hits("pictures dropped from the page cache before every hit:",
                   play_rounds(game, sounds, rounds, true));

        const int steps = rounds * hits_per_round;
        const auto nothing = [](int) {};
        const auto load = [ratio](int i) { media::load_picture(1 + i % stage_pictures, ratio); };
        std::printf("steps of a hit, %d times each:\n", steps);
        print_summary("  load_picture, warm", time_step(steps, nothing, load), "us");
        int not_evicted = 0;
        const auto evict = [&](int) { not_evicted += evict_pictures() > 0; };
        print_summary("  load_picture, cold", time_step(steps, evict, load), "us");
        std::printf("  cold loads with a picture still in the page cache (mincore): %d\n", not_evicted);

        std::vector<QImage> pictures;
        for (int n = 1; n <= stage_pictures; ++n)
            pictures.push_back(media::load_picture(n, ratio));
        auto& box = game.control<PictureBox>(layout::Picture2);
        const auto display = [&](int i) {
            box.setPicture(pictures[static_cast<std::size_t>(i % stage_pictures)]);
            box.repaint();
        };
        print_summary("  Picture2 setPicture + forced repaint", time_step(steps, nothing, display), "us");
        const auto play = [&](int i) { device.play_from_start(i % 2 ? "p2" : "p1"); };
        print_summary("  play_from_start", time_step(steps, nothing, play), "us");
    }
    std::printf("\nwarm hits' p99 at a ratio of 2 against 1: %.2f\n", warm_p99.back() / warm_p99.front());
}
