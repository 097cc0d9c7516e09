#pragma once

#include "app/form1.h"
#include "app/layout.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTimer>

#include <functional>

// The real window in this process, loaded from the current folder and shown
// with the keyboard, on whatever platform Qt runs (offscreen in the tests and
// benches): the one way they drive the game from inside. What a handler would
// end the game with is kept in `reports` instead.
class GameWindow {
public:
    explicit GameWindow(media::SoundDevice& sounds);

    // Whether it has the keyboard, as a player's window does.
    bool active() const { return active_; }
    Form1& form() { return form_; }
    const Form1& form() const { return form_; }
    const QStringList& reports() const { return reports_; }

    template <typename T = QWidget> T& control(const QString& name) const
    {
        T* const found = form_.findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return *found;
    }
    template <typename T = QWidget> T& control(const layout::Control& control) const
    {
        return this->control<T>(QString::fromUtf8(control.name));
    }
    QTimer& timer() const;

    void click_start();
    // Through the platform's own entry for keys, as a keyboard's come:
    // shortcut override first, then the window's key preview and the focused control.
    void press(Qt::Key key = Qt::Key_Space) const;
    void release(Qt::Key key = Qt::Key_Space) const;
    void tap(Qt::Key key = Qt::Key_Space) const;
    // Start, 200 hits with `after_each_hit` after each, each painted as the
    // game paints it; whether the round ended at the 200th.
    bool play_round(const std::function<void()>& after_each_hit = {});

private:
    QStringList reports_;
    Form1 form_;
    bool active_ = false;
};

// A size of this process from /proc/self/status ("VmRSS", "VmHWM"), in kB.
long status_kb(const char* key);
