#include "x_session.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QThread>

#include <cstdlib>
#include <unistd.h>

namespace {

QString free_display()
{
    for (int n = 90 + getpid() % 500;; ++n)
        if (!QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))
            && !QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            return QStringLiteral(":%1").arg(n);
}

} // namespace

XSession::XSession() : display_(free_display())
{
    server_.start(QStringLiteral("Xvfb"), {display_, "-screen", "0", "640x480x24", "-nolisten", "tcp"});
    const QString socket = "/tmp/.X11-unix/X" + display_.mid(1);
    const QDeadlineTimer deadline(10000);
    while (!QFile::exists(socket) && !deadline.hasExpired())
        QThread::msleep(20);
    connection_ = xcb_connect(display_.toLatin1().constData(), nullptr);
}

XSession::~XSession()
{
    if (connection_)
        xcb_disconnect(connection_);
    game_.kill();
    game_.waitForFinished();
    server_.terminate();
    server_.waitForFinished();
}

bool XSession::start_game(const QString& program, const QString& data_dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display_);
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

QString XSession::xdotool(const QStringList& arguments) const
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display_);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(20000);
    return QString::fromLatin1(process.readAllStandardOutput()).trimmed();
}

QImage XSession::capture() const
{
    const auto id = static_cast<xcb_window_t>(window_.toUInt());
    const auto geometry = xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, id), nullptr);
    if (!geometry)
        return {};
    const int width = geometry->width;
    const int height = geometry->height;
    std::free(geometry);

    const auto cookie = xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, id, 0, 0,
                                      static_cast<uint16_t>(width), static_cast<uint16_t>(height), ~0u);
    xcb_get_image_reply_t* const reply = xcb_get_image_reply(connection_, cookie, nullptr);
    if (!reply)
        return {};
    // A 24-bit Xvfb screen stores pixels as 32-bit little-endian xRGB.
    const QImage image(xcb_get_image_data(reply), width, height, width * 4, QImage::Format_RGB32);
    QImage copy = image.copy();
    std::free(reply);
    return copy;
}
