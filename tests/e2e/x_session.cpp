#include "x_session.h"

#include "x_capture.h"

#include <QProcessEnvironment>

XSession::~XSession()
{
    game_.kill();
    game_.waitForFinished();
}

bool XSession::start_game(const QString& program, const QString& data_dir)
{
    if (!x_.isValid())
        return false;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", x_.name());
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("SDL_AUDIODRIVER", "dummy");
    game_.setProcessEnvironment(env);
    game_.setWorkingDirectory(data_dir);
    game_.setProcessChannelMode(QProcess::ForwardedChannels);
    game_.start(program, {});
    if (!game_.waitForStarted())
        return false;
    window_ = xdotool({"search", "--sync", "--onlyvisible", "--name", "^Zumbrel$"}).section('\n', 0, 0);
    if (window_.isEmpty())
        return false;
    xdotool({"windowfocus", "--sync", window_});
    return true;
}

QImage XSession::capture() const
{
    return capture_window(x_.connection(), static_cast<xcb_window_t>(window_.toUInt()));
}
