#pragma once

#include <QKeyEvent>
#include <QRandomGenerator>

#include <memory>

// A random stream of key events, in stretches of 100 ms: hammering (space
// among other keys, downs and ups), the space bar held down (repeats, no
// ups), and other keys only.
class KeyTraffic {
public:
    explicit KeyTraffic(quint32 seed) : random_(seed) {}

    // The next event, in the stretch that holds the moment `at_ms`.
    std::unique_ptr<QKeyEvent> next(qint64 at_ms);

private:
    enum class Stretch { hammering, space_held, other_keys };

    std::unique_ptr<QKeyEvent> key(QEvent::Type type, int key, bool repeat);
    int other_key();

    QRandomGenerator random_;
    qint64 stretch_number_ = -1;
    Stretch stretch_ = Stretch::other_keys;
};
