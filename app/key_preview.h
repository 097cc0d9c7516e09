#pragma once

#include <QObject>
#include <QWidget>

#include <cstdint>
#include <functional>

// Hands every key-down and key-up of a window to its handlers before the
// focused control sees it, whichever control has the focus.
class KeyPreview : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void(std::int16_t key_code, std::int16_t shift)>;

    // Whether a release that the toolkit flags as a held key's repeat may be one.
    enum class Releases { may_be_repeats, always_real };

    KeyPreview(QWidget& window, Handler key_down, Handler key_up, Releases releases);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    Handler key_down_;
    Handler key_up_;
    const Releases releases_;
};
