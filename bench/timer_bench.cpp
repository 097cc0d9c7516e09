// How true the real window's one-second timer keeps a 25-tick round, on a
// monotonic clock: once undisturbed, once flooded as the key flood test
// floods it, here with a thousand key events a second. Prints figures; never
// judges them.
//   zumbrel_timer_bench [data-dir] [runs]
#include "bench/offscreen_run.h"
#include "game_window.h"
#include "key_flood.h"
#include "summary.h"
#include "media/sound_backend.h"
#include "media/sound_output.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int ticks_per_round = 25;

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

// In each 160 ms the space bar goes up, down, then repeats while held, so
// about six keys a second count as hits (each loading its picture) and the
// round still ends on time rather than at 200 hits.
std::unique_ptr<QKeyEvent> space_cycle(qint64 ms)
{
    const auto phase = ms % 160;
    return std::make_unique<QKeyEvent>(phase == 0 ? QEvent::KeyRelease : QEvent::KeyPress, Qt::Key_Space,
                                       Qt::NoModifier, QStringLiteral(" "), phase > 1);
}

void run_round(GameWindow& game, bool flooded)
{
    Watch watch(game.timer(), *game.form().windowHandle());
    const auto started = Clock::now();
    game.click_start();
    qint64 posted = 0;
    {
        std::optional<KeyFlood> flood;
        if (flooded)
            flood.emplace(*game.form().windowHandle(), 1, space_cycle);
        while (game.form().round_state().is_playing)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (flood)
            flood->stop();
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
        std::printf(", %lld key events posted, %ld reached the window", posted, watch.key_events);
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
    GameWindow game(sounds);
    if (!game.active())
        give_up("the window never got the keyboard");
    for (int run = 0; run < runs; ++run) {
        run_round(game, false);
        run_round(game, true);
    }
}
#include "timer_bench.moc"
