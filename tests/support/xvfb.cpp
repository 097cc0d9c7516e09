#include "xvfb.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>

Xvfb::Xvfb()
{
    // Xvfb picks a free display itself and names it once it accepts clients.
    server_.start("Xvfb", {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
    const QDeadlineTimer deadline(20000);
    while (!server_.canReadLine() && server_.waitForReadyRead(int(deadline.remainingTime()))) {
    }
    if (!server_.canReadLine())
        return;
    name_ = ':' + QString::fromLatin1(server_.readLine()).trimmed();
    xcb_connection_t* const connection = xcb_connect(name_.toLatin1().constData(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    connection_ = connection;
}

Xvfb::~Xvfb()
{
    if (connection_)
        xcb_disconnect(connection_);
    server_.terminate();
    server_.waitForFinished();
}

QString Xvfb::xdotool(const QStringList& arguments) const
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", name_);
    process.setProcessEnvironment(env);
    process.start("xdotool", arguments);
    process.waitForFinished(20000);
    return QString::fromLatin1(process.readAllStandardOutput()).trimmed();
}
