#pragma once

#include "child_process.h"
#include "data_copy.h"

#include <QImage>
#include <QPoint>
#include <QProcessEnvironment>
#include <QRect>
#include <QStringList>

#include <memory>

// A desktop with the real game on it, driven by real input events and read
// back from captures of the screen, all in the screen's logical pixels. Each
// desktop starts its display server and gives the game, input and captures;
// the cases are the same on every one. Keys are X keysyms ("space"), a chord
// "shift+x". As root, what refuses root (compositors, the game) runs as nobody.
class Desktop {
public:
    Desktop(const QString& program, const QString& data_dir);
    virtual ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    bool isValid() const { return valid_; }
    // Starts the game in its data folder; true once its window shows with the
    // keyboard focus. `env` is the game's; by default the desktop's own.
    bool start_game(const QProcessEnvironment& env);
    bool start_game() { return start_game(env_); }
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

protected:
    // Started as the desktop's user, in the data folder, with `env`.
    std::unique_ptr<ChildProcess> run_as_user(const QStringList& command,
                                              const QProcessEnvironment& env) const;
    std::unique_ptr<ChildProcess> run_as_user(const QStringList& command) const { return run_as_user(command, env_); }
    // Runs `command` to its end; its standard output.
    QByteArray output_of(const QStringList& command) const;
    // A D-Bus daemon as the session's and the system's bus, which any user may
    // join; its address, empty if it did not start.
    QString start_bus();
    QString file_path(const QString& name) const { return data_.filePath(name); }
    QString runtime_dir() const { return env_.value("XDG_RUNTIME_DIR"); }

    QProcessEnvironment env_ = QProcessEnvironment::systemEnvironment();
    bool valid_ = false;

private:
    DataCopy data_;
    QStringList as_user_; // setpriv's words, or none
    QString program_;
    std::unique_ptr<ChildProcess> bus_;
    std::unique_ptr<ChildProcess> game_;
};

// xfwm4 (the default), sway, weston, kde or gnome, the last at `scale`.
std::unique_ptr<Desktop> make_desktop(const QString& name, const QString& program, const QString& data_dir,
                                      double scale);
std::unique_ptr<Desktop> make_x_desktop(const QString& program, const QString& data_dir, const QString& name);
std::unique_ptr<Desktop> make_gnome_desktop(const QString& program, const QString& data_dir, double scale);
