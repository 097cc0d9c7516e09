#include "x_session.h"

#include "x_capture.h"

#include <QProcessEnvironment>

XSession::XSession(QString program, QString data_dir)
    : program_(std::move(program))
    , data_dir_(std::move(data_dir))
{
}

bool XSession::start_game()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", x_.name());
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("SDL_AUDIODRIVER", "dummy");
    game_ = std::make_unique<ChildProcess>(QStringList{program_}, env, data_dir_);
    if (!game_->started())
        return false;
    window_ = x_.xdotool({"search", "--sync", "--onlyvisible", "--name", "^Zumbrel$"}).section('\n', 0, 0);
    if (window_.isEmpty())
        return false;
    x_.xdotool({"windowfocus", "--sync", window_});
    // Away from the button, so hover does not change how it looks.
    x_.xdotool({"mousemove", "--window", window_, "150", "60"});
    return true;
}

void XSession::stop_game()
{
    game_.reset();
}

void XSession::click_start()
{
    x_.xdotool({"mousemove", "--window", window_, "100", "108", "click", "1"});
    x_.xdotool({"mousemove", "--window", window_, "150", "60"});
}

void XSession::tap(const QStringList& keys, int delay_ms)
{
    x_.tap(keys, delay_ms);
}

void XSession::hold(const QString& key, int milliseconds)
{
    x_.hold(key, milliseconds);
}

QImage XSession::capture() const
{
    return capture_window(x_.connection(), static_cast<xcb_window_t>(window_.toUInt()));
}
