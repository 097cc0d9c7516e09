#include "key_traffic.h"

#include <array>

std::unique_ptr<QKeyEvent> KeyTraffic::next(qint64 at_ms)
{
    if (at_ms / 100 != stretch_number_) {
        stretch_number_ = at_ms / 100;
        const int roll = int(random_.bounded(100));
        // Hammering is rare, so a round lasts seconds and Timer1 ticks in it.
        stretch_ = roll < 10 ? Stretch::hammering : roll < 55 ? Stretch::space_held : Stretch::other_keys;
    }
    const bool down = random_.bounded(2) == 0;
    switch (stretch_) {
    case Stretch::hammering:
        if (down && random_.bounded(100) < 6)
            return key(QEvent::KeyPress, Qt::Key_Space, false);
        if (!down && random_.bounded(100) < 30)
            return key(QEvent::KeyRelease, Qt::Key_Space, false);
        return key(down ? QEvent::KeyPress : QEvent::KeyRelease, other_key(), random_.bounded(10) == 0);
    case Stretch::space_held:
        if (random_.bounded(10) < 7)
            return key(QEvent::KeyPress, Qt::Key_Space, true);
        return key(QEvent::KeyPress, other_key(), random_.bounded(2) == 0);
    case Stretch::other_keys:
        break;
    }
    return key(down ? QEvent::KeyPress : QEvent::KeyRelease, other_key(), random_.bounded(10) == 0);
}

std::unique_ptr<QKeyEvent> KeyTraffic::key(QEvent::Type type, int key, bool repeat)
{
    const Qt::KeyboardModifiers modifiers = random_.bounded(10) == 0 ? Qt::ShiftModifier : Qt::NoModifier;
    return std::make_unique<QKeyEvent>(type, key, modifiers, QString(), repeat);
}

int KeyTraffic::other_key()
{
    // Tab moves the focus between the picture and the Start button.
    static constexpr std::array keys{Qt::Key_A, Qt::Key_Z, Qt::Key_1, Qt::Key_Return, Qt::Key_Escape,
                                     Qt::Key_Shift, Qt::Key_Control, Qt::Key_Left, Qt::Key_F1, Qt::Key_Tab};
    return keys[random_.bounded(quint32(keys.size()))];
}
