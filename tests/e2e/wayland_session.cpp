#include "wayland_session.h"

#include "game_process.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

namespace {

constexpr int start_timeout_ms = 20000;

// The first node of sway's tree, depth first, that shows the game's window
// with the keyboard focus: keys typed before that would be lost.
std::optional<QJsonObject> game_node(const QJsonObject& node)
{
    if (node.value("app_id").toString() == QLatin1String("io.github.zumbrel.Zumbrel") && node.value("visible").toBool()
        && node.value("focused").toBool())
        return node;
    for (const char* children : {"nodes", "floating_nodes"})
        for (const QJsonValue child : node.value(children).toArray())
            if (auto found = game_node(child.toObject()))
                return found;
    return std::nullopt;
}

QRect rect_of(const QJsonValue& value)
{
    const QJsonObject r = value.toObject();
    return {r.value("x").toInt(), r.value("y").toInt(), r.value("width").toInt(), r.value("height").toInt()};
}

// The first entry of `folder` matching `pattern` that is a socket, not its lock.
QString socket_in(const QDir& folder, const QString& pattern)
{
    for (const QString& name : folder.entryList({pattern}, QDir::System))
        if (!name.endsWith(QLatin1String(".lock")))
            return name;
    return {};
}

} // namespace

WaylandSession::WaylandSession(const QString& program, const QString& data_dir) : data_(data_dir)
{
    if (!data_.isValid())
        return;
    env_.remove("DISPLAY");
    env_.remove("WAYLAND_DISPLAY");
    if (const auto as_nobody_game = as_nobody(program, data_.path(), env_)) {
        game_program_ = as_nobody_game->last();
        as_user_ = as_nobody_game->mid(0, as_nobody_game->size() - 1);
    } else {
        game_program_ = program;
        const QString runtime = data_.filePath("runtime");
        if (!make_runtime_folder(runtime, false))
            return;
        env_.insert("XDG_RUNTIME_DIR", runtime);
    }
    valid_ = env_.contains("XDG_RUNTIME_DIR") && start_compositor();
}

WaylandSession::~WaylandSession()
{
    stop_game();
    keyboard_.kill();
    keyboard_.waitForFinished();
    sway_.terminate();
    if (!sway_.waitForFinished(5000)) {
        sway_.kill();
        sway_.waitForFinished();
    }
}

bool WaylandSession::start_compositor()
{
    const QString config = data_.filePath("sway.conf");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) || file.write("xwayland disable\n") < 0)
        return false;
    file.close();

    QProcessEnvironment compositor_env = env_;
    compositor_env.insert("WLR_BACKENDS", "headless");
    compositor_env.insert("WLR_LIBINPUT_NO_DEVICES", "1");
    compositor_env.insert("WLR_RENDERER", "pixman");
    sway_.setProcessEnvironment(compositor_env);
    sway_.setStandardOutputFile(QProcess::nullDevice());
    sway_.setStandardErrorFile(data_.filePath("sway.log"));
    start(sway_, "sway", {"-c", config});

    const QDir runtime(env_.value("XDG_RUNTIME_DIR"));
    const QDeadlineTimer deadline(start_timeout_ms);
    QString display;
    QString ipc;
    while ((display.isEmpty() || ipc.isEmpty()) && sway_.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        QThread::msleep(20);
        display = socket_in(runtime, "wayland-*");
        ipc = socket_in(runtime, "sway-ipc.*.sock");
    }
    if (display.isEmpty() || ipc.isEmpty())
        return false;
    env_.insert("WAYLAND_DISPLAY", display);
    env_.insert("SWAYSOCK", runtime.filePath(ipc));

    // The seat has a keyboard only while a virtual one exists, and a client
    // that starts without one never gets keys: keep one from the start.
    keyboard_.setProcessEnvironment(env_);
    start(keyboard_, "wtype", {"-s", "86400000"});
    while (!run("swaymsg", {"-t", "get_inputs"}).contains("\"keyboard\"")) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

void WaylandSession::start(QProcess& process, const QString& program, const QStringList& arguments) const
{
    if (as_user_.isEmpty())
        process.start(program, arguments);
    else
        process.start(as_user_.front(), as_user_.mid(1) + QStringList{program} + arguments);
}

QByteArray WaylandSession::run(const QString& program, const QStringList& arguments) const
{
    QProcess process;
    process.setProcessEnvironment(env_);
    start(process, program, arguments);
    process.waitForFinished(30000);
    return process.readAllStandardOutput();
}

bool WaylandSession::start_game()
{
    stop_game(); // one left over from a case that failed before it began
    QProcessEnvironment game_env = env_;
    // As a sway session has it, and with an X display beside it that is not
    // there: where the compositor draws frames the game must stay a Wayland
    // client of its own choice, or it fails to start.
    game_env.remove("QT_QPA_PLATFORM");
    game_env.insert("XDG_SESSION_TYPE", "wayland");
    game_env.insert("DISPLAY", ":4711");
    game_env.insert("SDL_AUDIODRIVER", "dummy");
    game_.setProcessEnvironment(game_env);
    game_.setWorkingDirectory(data_.path());
    game_.setProcessChannelMode(QProcess::ForwardedChannels);
    start(game_, game_program_, {});
    if (!game_.waitForStarted())
        return false;
    const QDeadlineTimer deadline(start_timeout_ms);
    while (window_area().isEmpty()) {
        if (game_.state() != QProcess::Running || deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

void WaylandSession::stop_game()
{
    game_.kill();
    game_.waitForFinished();
}

QRect WaylandSession::window_area() const
{
    const auto node = game_node(QJsonDocument::fromJson(run("swaymsg", {"-t", "get_tree"})).object());
    if (!node)
        return {};
    // window_rect is the client area, relative to the container's rect.
    const QRect container = rect_of(node->value("rect"));
    return rect_of(node->value("window_rect")).translated(container.topLeft());
}

void WaylandSession::click_start()
{
    // The headless seat has no pointer: Tab takes the focus from the picture
    // box to the button, and space presses it.
    tap({"Tab", "space"}, 0);
}

void WaylandSession::tap(const QStringList& keys, int delay_ms)
{
    QStringList arguments;
    if (delay_ms > 0) // wtype takes no zero delay
        arguments << "-d" << QString::number(delay_ms);
    for (const QString& key : keys) {
        QStringList modifiers = key.split('+');
        const QString plain = modifiers.takeLast();
        for (const QString& modifier : modifiers)
            arguments << "-M" << modifier;
        arguments << "-k" << plain;
        for (const QString& modifier : modifiers)
            arguments << "-m" << modifier;
    }
    run("wtype", arguments);
}

void WaylandSession::hold(const QString& key, int milliseconds)
{
    run("wtype", {"-P", key, "-s", QString::number(milliseconds), "-p", key});
}

QImage WaylandSession::capture() const
{
    // Asked each time: sway may still move a floating window it has just shown.
    const QRect window = window_area();
    if (window.isEmpty())
        return {};
    const QString area = QStringLiteral("%1,%2 %3x%4").arg(window.x()).arg(window.y()).arg(window.width()).arg(window.height());
    return QImage::fromData(run("grim", {"-g", area, "-t", "ppm", "-"}), "PPM").convertToFormat(QImage::Format_RGB32);
}
