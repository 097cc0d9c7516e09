#pragma once

#include <QKeyEvent>

#include <QElapsedTimer>
#include <QWindow>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

// A stream of key events posted to the game's window from a thread of its
// own, as a platform's thread hands them on: `per_ms` every millisecond, each
// stamped with the milliseconds since the flood began, plus one.
class KeyFlood {
public:
    // The next key event, the flood `ms` milliseconds old; on the flood's thread.
    using Traffic = std::function<std::unique_ptr<QKeyEvent>(qint64 ms)>;

    KeyFlood(QWindow& window, int per_ms, Traffic traffic);
    KeyFlood(const KeyFlood&) = delete;
    KeyFlood& operator=(const KeyFlood&) = delete;

    // No more after this; those posted are still on their way.
    void stop()
    {
        thread_.request_stop();
        thread_.join();
    }
    qint64 posted() const { return posted_; }
    qint64 elapsed_ms() const { return clock_.elapsed(); }

private:
    QElapsedTimer clock_;
    std::atomic<qint64> posted_{0};
    std::jthread thread_;
};
