#pragma once

#include "child_process.h"
#include "data_copy.h"

#include <QImage>
#include <QPoint>
#include <QProcessEnvironment>
#include <QRect>
#include <QStringList>

#include <memory>

class XSession;

// A desktop with the real game on it, driven by real input events and read
// back from captures of the screen, all in the screen's logical pixels: the
// one way the tests and benches drive the program from outside. Each desktop
// starts its display server and gives the game, input and captures. Keys are
// X keysyms ("space"), a chord "shift+x". As root, what refuses root
// (compositors, the game) runs as nobody, unless the desktop needs no compositor.
class Desktop {
public:
    Desktop(const QString& program, const QString& data_dir, bool as_nobody = true);
    virtual ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    bool isValid() const { return valid_; }
    // Starts the game in its data folder; true once its window shows with the
    // keyboard focus. `env` is the game's; by default the desktop's own.
    bool start_game(const QProcessEnvironment& env);
    bool start_game() { return start_game(env_); }
    // The game started last, while it runs; its error channel is kept.
    ChildProcess* game() const { return game_.get(); }
    // Sends `signal`, if not 0, and waits for the game to end.
    GameRun end_game(int signal, int timeout_ms);
    void stop_game();
    // The game run to its end with `env`, as it ends when it cannot show a window.
    GameRun run_game(const QProcessEnvironment& env) const;
    const QProcessEnvironment& environment() const { return env_; }

    // The game's top-level window; empty while it is not shown with the focus.
    virtual QRect window() const = 0;
    // The screen's pixels in `area`; null if unreadable.
    virtual QImage screen(QRect area) const = 0;
    virtual void click(QPoint at, int clicks = 1) = 0;
    virtual void drag(QPoint from, QPoint by) = 0;
    // The pointer out of the way, where no window of the game's size is.
    virtual void park_pointer() = 0;
    // Presses and releases each key in turn, `delay_ms` apart.
    virtual void tap(const QStringList& keys, int delay_ms = 0) = 0;
    virtual void hold(const QString& key, int milliseconds) = 0;
    // The desktop's own shortcut that maximises a window; none if it has none.
    virtual QString maximise_shortcut() const { return {}; }
    // Asks the desktop to make the game full screen; false if that cannot be driven here.
    virtual bool request_full_screen() { return false; }
    // Which installed application the desktop takes the window for; empty if unread.
    virtual QString app_id() const { return {}; }
    // The X server the desktop shows on, for what only X tells; none on GNOME.
    virtual const XSession* x_session() const { return nullptr; }

    // Clicks a control of the client area, as the layout places it.
    void click_control(const QRect& control);
    // Clicks Start; whether the button then changes, as it does when it greys.
    bool start_round();

protected:
    // Started as the desktop's user, in the data folder, with `env`.
    std::unique_ptr<ChildProcess> run_as_user(const QStringList& command, const QProcessEnvironment& env,
                                              QProcess::ProcessChannelMode channels = QProcess::ForwardedChannels) const;
    std::unique_ptr<ChildProcess> run_as_user(const QStringList& command) const { return run_as_user(command, env_); }
    // Runs `command` to its end; its standard output.
    QByteArray output_of(const QStringList& command) const;
    // A D-Bus daemon as the session's and the system's bus, which any user may
    // join; its address, empty if it did not start.
    QString start_bus();
    QString file_path(const QString& name) const { return data_.filePath(name); }
    QString runtime_dir() const { return env_.value("XDG_RUNTIME_DIR"); }
    // Just after the game is started, before its window is looked for.
    virtual void game_started() {}

    QProcessEnvironment env_ = QProcessEnvironment::systemEnvironment();
    bool valid_ = false;

private:
    DataCopy data_;
    QStringList as_user_; // setpriv's words, or none
    QString program_;
    std::unique_ptr<ChildProcess> bus_;
    std::unique_ptr<ChildProcess> game_;
};

// x11 (an X server and no window manager), xfwm4 (the default), sway, weston,
// kde or gnome, the last at `scale`.
std::unique_ptr<Desktop> make_desktop(const QString& name, const QString& program, const QString& data_dir,
                                      double scale = 1);
std::unique_ptr<Desktop> make_x_desktop(const QString& program, const QString& data_dir, const QString& name);
std::unique_ptr<Desktop> make_gnome_desktop(const QString& program, const QString& data_dir, double scale);
