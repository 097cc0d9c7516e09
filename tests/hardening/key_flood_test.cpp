#include "key_traffic.h"
#include "live_window.h"
#include "window_invariants.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <optional>

namespace {

constexpr qint64 flood_ms = 10000;
constexpr qint64 events_per_ms = 10;
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

class KeyFloodTest : public QObject {
    Q_OBJECT

private slots:
    void window_survives_a_key_flood();
};

void KeyFloodTest::window_survives_a_key_flood()
{
    auto& app = static_cast<WatchedApplication&>(*qApp);
    PlayedWindow window;
    QVERIFY(window.active);
    auto& timer1 = *window.form.findChild<QTimer*>("Timer1");

    QElapsedTimer clock;
    clock.start();
    WindowInvariants invariants(window.form);
    QString first_broken;
    qint64 posted = 0, key_events_seen = 0, hits = 0, worst_latency = 0;
    int last_hits = 0, rounds = 0, full_rounds = 0, ticks = 0;
    qint64 worst_tick_delay = 0, tick_delay_sum = 0;
    std::optional<qint64> next_tick_due;

    app.after_event = [&](const QEvent& event) {
        // Each key event carries the moment it was posted, to tell how long it queued.
        const bool key = event.type() == QEvent::KeyPress || event.type() == QEvent::KeyRelease;
        if (key && static_cast<const QKeyEvent&>(event).timestamp() != 0) {
            ++key_events_seen;
            const auto posted_at = qint64(static_cast<const QKeyEvent&>(event).timestamp() - 1);
            worst_latency = std::max(worst_latency, clock.elapsed() - posted_at);
        }
        if (!first_broken.isEmpty())
            return;
        const QString broken = invariants.check();
        if (!broken.isEmpty())
            first_broken = QStringLiteral("after %1 key events: %2").arg(key_events_seen).arg(broken);
        const int now_hits = window.form.round_state().hit_count;
        hits += std::max(0, now_hits - last_hits);
        full_rounds += now_hits == 200 && last_hits != 200;
        last_hits = now_hits;
        if (!timer1.isActive())
            next_tick_due.reset();
        else if (!next_tick_due)
            next_tick_due = clock.elapsed() + timer1.remainingTime();
    };
    const auto unhook = qScopeGuard([&] { app.after_event = nullptr; });
    connect(&window.start, &QPushButton::clicked, this, [&] { ++rounds; });
    connect(&timer1, &QTimer::timeout, this, [&] {
        ++ticks;
        if (next_tick_due) {
            const qint64 delay = clock.elapsed() - *next_tick_due;
            worst_tick_delay = std::max(worst_tick_delay, delay);
            tick_delay_sum += delay;
        }
        next_tick_due.reset(); // due again a period from now
    });

    KeyTraffic traffic(seed);

    bool click_posted = false;
    QEventLoop flood;
    QTimer source;
    source.setTimerType(Qt::PreciseTimer);
    source.setInterval(1);
    const auto post_due = [&] {
        const qint64 now = std::min(clock.elapsed(), flood_ms);
        for (; posted < now * events_per_ms; ++posted) {
            std::unique_ptr<QKeyEvent> key = traffic.next(posted / events_per_ms);
            key->setTimestamp(quint64(clock.elapsed() + 1));
            QWidget* const focus = QApplication::focusWidget();
            QCoreApplication::postEvent(focus ? focus : &window.form, key.release());
        }
        click_posted = click_posted && window.start.isEnabled();
        if (window.start.isEnabled() && !click_posted) {
            post_click(window.start);
            click_posted = true;
        }
        if (posted == flood_ms * events_per_ms)
            flood.quit();
    };
    connect(&source, &QTimer::timeout, this, post_due);

    source.start();
    flood.exec();
    source.stop();
    QTRY_COMPARE_WITH_TIMEOUT(key_events_seen, posted, 120000);

    qInfo("%lld key events in %lld s (seed %u): %lld hits counted, %d rounds started, %d reached 200",
          key_events_seen, flood_ms / 1000, seed, hits, rounds, full_rounds);
    qInfo("Timer1: %d ticks, longest delay after schedule %lld ms, mean %.1f ms", ticks, worst_tick_delay,
          ticks ? double(tick_delay_sum) / ticks : 0.0);
    qInfo("longest time a key event waited in the queue: %lld ms", worst_latency);

    QVERIFY2(first_broken.isEmpty(), qPrintable(first_broken));
    QVERIFY2(window.live.reports.isEmpty(), qPrintable(window.live.reports.join('\n')));
    QVERIFY2(full_rounds >= 1, "the flood never played a round to 200 hits");
    window.form.close();
}

int main(int argc, char* argv[])
{
    WatchedApplication app(argc, argv);
    KeyFloodTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "key_flood_test.moc"
