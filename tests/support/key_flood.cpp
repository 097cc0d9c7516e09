#include "key_flood.h"

#include <QCoreApplication>
#include <QInputDevice>

#include <time.h>

KeyFlood::KeyFlood(QWindow& window, int per_ms, Traffic traffic)
{
    // Key events name the keyboard, made on first use: in the window's thread.
    QInputDevice::primaryKeyboard();
    clock_.start();
    thread_ = std::jthread([this, &window, per_ms, traffic = std::move(traffic)](std::stop_token stop) {
        timespec next{};
        clock_gettime(CLOCK_MONOTONIC, &next);
        for (qint64 ms = 0; !stop.stop_requested(); ++ms) {
            for (int i = 0; i < per_ms; ++i, ++posted_) {
                std::unique_ptr<QKeyEvent> key = traffic(ms);
                key->setTimestamp(quint64(clock_.elapsed() + 1));
                QCoreApplication::postEvent(&window, key.release());
            }
            next.tv_nsec += 1'000'000;
            if (next.tv_nsec >= 1'000'000'000) {
                next.tv_nsec -= 1'000'000'000;
                ++next.tv_sec;
            }
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        }
    });
}
