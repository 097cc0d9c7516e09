#include "app/key_preview.h"

#include <QApplication>
#include <QKeyEvent>

#include <utility>

namespace {

// Only the space bar's 32 matters to the rules; printable keys keep their
// character code and the rest read as 0.
std::int16_t key_code_of(const QKeyEvent& event)
{
    const int key = event.key();
    return key > 0 && key < 0x7F ? static_cast<std::int16_t>(key) : 0;
}

std::int16_t shift_state_of(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    return static_cast<std::int16_t>((modifiers & Qt::ShiftModifier ? 1 : 0)
                                     | (modifiers & Qt::ControlModifier ? 2 : 0)
                                     | (modifiers & Qt::AltModifier ? 4 : 0));
}

} // namespace

KeyPreview::KeyPreview(QWidget& window, Handler key_down, Handler key_up, Releases releases)
    : QObject(&window)
    , window_(window)
    , key_down_(std::move(key_down))
    , key_up_(std::move(key_up))
    , releases_(releases)
{
    qApp->installEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    // A key event goes first to the focused control, then up to its parents
    // if ignored: take it at its first stop only, so it is handled once.
    QWidget* const first_stop = window_.focusWidget() ? window_.focusWidget() : &window_;
    if (watched != first_stop)
        return false;

    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (type == QEvent::KeyPress) {
        key_down_(key_code_of(key), shift_state_of(key));
    } else if (!key.isAutoRepeat() || releases_ == Releases::always_real) {
        // A held key's repeats must not read as releases, or each would re-arm
        // the space bar. Where the server sends repeats as presses alone, the
        // flag is only Qt's guess from a press queued with the same timestamp:
        // two quick taps bunched by a busy machine, which must both count.
        key_up_(key_code_of(key), shift_state_of(key));
    }
    return false;
}
