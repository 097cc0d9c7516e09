#include "data_copy.h"
#include "game_window.h"
#include "key_flood.h"
#include "key_traffic.h"
#include "window_invariants.h"

#include "media/sound_backend.h"
#include "media/sound_output.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <optional>

namespace {

constexpr qint64 flood_ms = 10000;
constexpr int events_per_ms = 10;
constexpr quint32 seed = 20240611;

// Lets a test look at the window after each event has been handled in full:
// events sent while another is being handled are part of that one.
class WatchedApplication : public QApplication {
    Q_OBJECT

public:
    using QApplication::QApplication;
    std::function<void(const QEvent&)> after_event;

    bool notify(QObject* receiver, QEvent* event) override
    {
        ++depth_;
        const bool handled = QApplication::notify(receiver, event);
        if (--depth_ == 0 && after_event)
            after_event(*event);
        return handled;
    }

private:
    int depth_ = 0;
};

void post_click(QPushButton& button)
{
    const QPointF centre = QRectF(button.rect()).center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QCoreApplication::postEvent(&button, new QMouseEvent(type, centre, button.mapToGlobal(centre),
                                                             Qt::LeftButton, held, Qt::NoModifier));
    }
}

} // namespace

// A flood of random keys, with Start clicked again whenever a round ends,
// through the real window and sound device: nothing may break, nothing be lost.
class KeyFloodTest : public QObject {
    Q_OBJECT

private slots:
    void window_survives_a_key_flood();
};

void KeyFloodTest::window_survives_a_key_flood()
{
    auto& app = static_cast<WatchedApplication&>(*qApp);
    const CurrentDir inside(ZUMBREL_DATA_DIR);
    qputenv("SDL_AUDIODRIVER", "dummy");
    media::SoundOutput sounds;
    sounds.start([] { return media::make_sdl_backend(); });
    GameWindow window(sounds);
    QVERIFY(window.active());
    auto& start = window.control<QPushButton>(layout::start_btn);

    WindowInvariants invariants(window);
    QString first_broken;
    qint64 key_events_seen = 0, hits = 0, worst_latency = 0;
    int last_hits = 0, rounds = 0, full_rounds = 0;
    std::optional<KeyFlood> flood;
    app.after_event = [&](const QEvent& event) {
        // Each key event carries the moment it was posted, to tell how long it queued.
        const bool key = event.type() == QEvent::KeyPress || event.type() == QEvent::KeyRelease;
        if (key && flood && static_cast<const QKeyEvent&>(event).timestamp() != 0) {
            ++key_events_seen;
            const auto posted_at = qint64(static_cast<const QKeyEvent&>(event).timestamp() - 1);
            worst_latency = std::max(worst_latency, flood->elapsed_ms() - posted_at);
        }
        if (!first_broken.isEmpty())
            return;
        const QString broken = invariants.check();
        if (!broken.isEmpty())
            first_broken = QStringLiteral("after %1 key events: %2").arg(key_events_seen).arg(broken);
        const int now_hits = window.form().round_state().hit_count;
        hits += std::max(0, now_hits - last_hits);
        full_rounds += now_hits == 200 && last_hits != 200;
        last_hits = now_hits;
    };
    const auto unhook = qScopeGuard([&] { app.after_event = nullptr; });
    connect(&start, &QPushButton::clicked, this, [&] { ++rounds; });

    // Start clicked again from the window's own thread, once per round that ended.
    bool click_posted = false;
    QTimer restart;
    connect(&restart, &QTimer::timeout, this, [&] {
        click_posted = click_posted && start.isEnabled();
        if (start.isEnabled() && !click_posted) {
            post_click(start);
            click_posted = true;
        }
    });
    restart.start(1);
    flood.emplace(*window.form().windowHandle(), events_per_ms,
                  [traffic = std::make_shared<KeyTraffic>(seed)](qint64 ms) { return traffic->next(ms); });
    QTest::qWait(int(flood_ms));
    flood->stop();
    restart.stop();
    const qint64 posted = flood->posted();
    QTRY_COMPARE_WITH_TIMEOUT(key_events_seen, posted, 120000);

    qInfo("%lld key events in %lld s (seed %u): %lld hits counted, %d rounds started, %d reached 200",
          key_events_seen, flood_ms / 1000, seed, hits, rounds, full_rounds);
    qInfo("longest time a key event waited in the queue: %lld ms", worst_latency);

    QVERIFY2(first_broken.isEmpty(), qPrintable(first_broken));
    QVERIFY2(window.reports().isEmpty(), qPrintable(window.reports().join('\n')));
    QVERIFY2(full_rounds >= 1, "the flood never played a round to 200 hits");
    window.form().close();
}

int main(int argc, char* argv[])
{
    WatchedApplication app(argc, argv);
    KeyFloodTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "key_flood_test.moc"
