// How true the real window's one-second timer keeps a 25-tick round, on a
// monotonic clock: once undisturbed, once while a thousand key events a
// second arrive from another thread. Prints figures; never judges them.
//   zumbrel_timer_bench [data-dir] [runs]
#include "bench/offscreen_game.h"
#include "summary.h"
#include "media/sdl_backend.h"
#include "media/sound_output.h"

#include <QInputDevice>
#include <QKeyEvent>
#include <QWindow>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <thread>
#include <time.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int ticks_per_round = 25;

double millis(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Notes when Timer1 fires, before its handler runs, and counts the key
// events the window receives.
class Watch : public QObject {
    Q_OBJECT

public:
    Watch(QTimer& timer, QWindow& window) : timer_(timer), window_(window)
    {
        timer_.installEventFilter(this);
        window_.installEventFilter(this);
    }

    std::vector<Clock::time_point> ticks;
    long key_events = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &timer_ && event->type() == QEvent::Timer)
            ticks.push_back(Clock::now());
        else if (watched == &window_
                 && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease))
            ++key_events;
        return false;
    }

private:
    QTimer& timer_;
    QWindow& window_;
};

// A thousand key events a second, posted as a platform thread would. In each
// 160 of them the space bar goes up, down, then repeats while held, so about
// six a second count as hits (each loading its picture) and the round still
// ends on time rather than at 200 hits.
class KeyFlood {
public:
    explicit KeyFlood(QWindow& window)
    {
        // Key events name the keyboard, made on first use: it must be made in the window's thread.
        QInputDevice::primaryKeyboard();
        thread_ = std::jthread([this, &window](std::stop_token stop) { run(window, stop); });
    }

    long posted() const { return posted_; }

private:
    void run(QWindow& window, const std::stop_token& stop)
    {
        constexpr long period_ns = 1'000'000;
        constexpr int cycle = 160;
        timespec next{};
        clock_gettime(CLOCK_MONOTONIC, &next);
        for (long n = 0; !stop.stop_requested(); ++n) {
            const auto phase = n % cycle;
            const auto type = phase == 0 ? QEvent::KeyRelease : QEvent::KeyPress;
            QCoreApplication::postEvent(&window, new QKeyEvent(type, Qt::Key_Space, Qt::NoModifier,
                                                               QStringLiteral(" "), phase > 1));
            ++posted_;
            next.tv_nsec += period_ns;
            if (next.tv_nsec >= 1'000'000'000) {
                next.tv_nsec -= 1'000'000'000;
                ++next.tv_sec;
            }
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        }
    }

    std::atomic<long> posted_{0};
    std::jthread thread_;
};

void run_round(OffscreenGame& game, bool flooded)
{
    Watch watch(game.timer(), *game.form().windowHandle());
    const auto started = Clock::now();
    game.start_round();
    long posted = 0;
    {
        std::optional<KeyFlood> flood;
        if (flooded)
            flood.emplace(*game.form().windowHandle());
        while (game.form().round_state().is_playing)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        posted = flood ? flood->posted() : 0;
    }
    QApplication::processEvents();

    if (watch.ticks.size() != ticks_per_round) {
        std::fprintf(stderr, "zumbrel_timer_bench: the round ended after %zu ticks\n", watch.ticks.size());
        std::exit(1);
    }
    std::vector<double> lateness;
    for (int k = 1; k <= ticks_per_round; ++k)
        lateness.push_back(millis(watch.ticks[static_cast<std::size_t>(k - 1)] - started - std::chrono::seconds(k)));
    std::printf("%s: round %.3f ms, %d hits counted", flooded ? "flooded" : "quiet",
                millis(watch.ticks.back() - started), game.form().round_state().hit_count);
    if (flooded)
        std::printf(", %ld key events posted, %ld reached the window", posted, watch.key_events);
    std::printf("\n");
    print_summary("  tick lateness against its schedule", lateness, "ms");
}

} // namespace

int main(int argc, char** argv)
{
    prepare_offscreen_run(argc, argv);
    const int runs = argc > 2 ? std::atoi(argv[2]) : 1;
    QApplication app(argc, argv);
    media::SoundOutput sounds;
    sounds.start([] { return media::make_sdl_backend(); });
    OffscreenGame game(sounds);
    for (int run = 0; run < runs; ++run) {
        run_round(game, false);
        run_round(game, true);
    }
}
#include "timer_bench.moc"
