// Runs a command that starts the game on an X server of its own, as a
// launcher does, and checks the game's window from outside: its X11 class,
// the title picture in its picture box, and the sound module in its memory.
// Then it may play a few hits and keep a picture of the whole window. The
// game ends with it.
//   zumbrel_x_window --picture BMP [--class CLASS] [--module FILE]
//                    [--hits N --capture PNG] -- COMMAND [ARGUMENT ...]
#include "app/layout.h"
#include "x_session.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

constexpr int patience_ms = 20000;

[[noreturn]] void fail(const QString& why, const QString& said = {})
{
    std::fprintf(stderr, "%s\nFAIL: %s\n", qPrintable(said), qPrintable(why));
    std::exit(1);
}

bool until(const std::function<bool()>& done)
{
    const QDeadlineTimer deadline(patience_ms);
    while (!done() && !deadline.hasExpired())
        QThread::msleep(50);
    return done();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser options;
    options.addOptions({{"picture", "The title picture the window must show.", "bmp"},
                        {"class", "The window's X11 class.", "class"},
                        {"module", "A library the game must have loaded.", "file"},
                        {"hits", "Space bar presses after a click on Start.", "n"},
                        {"capture", "Where to keep a picture of the window.", "png"}});
    options.addPositionalArgument("command", "What starts the game.");
    options.process(app);
    const QStringList command = options.positionalArguments();
    const QImage title = QImage(options.value("picture")).convertToFormat(QImage::Format_RGB32);
    if (command.isEmpty() || title.isNull())
        options.showHelp(2);

    const XSession x;
    if (!x.isValid())
        fail("Xvfb did not start");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", x.name());
    // Into a file, which the game, not always the command's child, may write to after the command ends.
    QTemporaryFile log;
    if (!log.open())
        fail("no file for what the game says");
    const ChildProcess launcher(QStringList{"sh", "-c", "exec \"$@\" 2>\"$0\"", log.fileName()} + command, env);
    const auto window = x.wait_for_window("Zumbrel", std::chrono::milliseconds(patience_ms));
    const auto said = [&] { return QString::fromLocal8Bit(log.readAll()); };
    if (!window)
        fail("no Zumbrel window appeared", said());
    const qint64 game = x.property_number(*window, "_NET_WM_PID");
    const auto end_game = qScopeGuard([game] { ::kill(pid_t(game), SIGTERM); });

    // Docks (GNOME's among them) find an X11 window's menu entry, and so its icon, by its class.
    if (options.isSet("class") && !x.classes_of(*window).contains(options.value("class")))
        fail("the window's X11 class is not " + options.value("class") + ": docks would show no icon for it");
    const QRect box(layout::client_area.topLeft() + layout::Picture2.rect.topLeft(), title.size());
    if (!until([&] { return x.capture(box, *window) == title; }))
        fail("the window does not show " + options.value("picture"), said());
    if (options.isSet("module")) {
        QString heard;
        const auto mapped = [&] {
            QFile maps(QStringLiteral("/proc/%1/maps").arg(game));
            heard += said();
            return heard.contains("zumbrel: no sound")
                || (maps.open(QIODevice::ReadOnly) && maps.readAll().contains(options.value("module").toLocal8Bit()));
        };
        if (!until(mapped) || heard.contains("zumbrel: no sound"))
            fail("the game did not load " + options.value("module"), heard);
    }
    if (options.isSet("capture")) {
        x.focus(*window);
        const QRect place = x.geometry(*window);
        x.click(place.topLeft() + layout::client_area.topLeft() + layout::start_btn.rect.center());
        // The pointer off the button, which would otherwise show its hover.
        x.pointer_to(place.topLeft() + layout::client_area.topLeft() + QPoint(150, 60));
        x.tap(QStringList(options.value("hits").toInt(), "space"), 30);
        QThread::msleep(500); // for the last hit's picture to reach the screen
        if (!x.capture(QRect(QPoint(), place.size()), *window).save(options.value("capture"), "PNG"))
            fail("cannot keep a picture of the window at " + options.value("capture"));
    }
    return 0;
}
