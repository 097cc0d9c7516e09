#include "desktop.h"

#include "game_process.h"

#include "app/layout.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

namespace {

constexpr int window_timeout_ms = 30000;

} // namespace

Desktop::Desktop(const QString& program, const QString& data_dir, bool as_nobody_if_root)
    : data_(data_dir), program_(program)
{
    // The game is to choose its platform itself, as on a player's desktop.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP",
                             "QT_WAYLAND_DECORATION", "XAUTHORITY"})
        env_.remove(name);
    env_.insert("SDL_AUDIODRIVER", "dummy");
    if (!data_.isValid())
        return;
    if (const auto as_nobody_game = as_nobody_if_root ? as_nobody(program, data_.path(), env_) : std::nullopt) {
        program_ = as_nobody_game->last();
        as_user_ = as_nobody_game->mid(0, as_nobody_game->size() - 1);
        valid_ = true;
    } else {
        env_.insert("XDG_RUNTIME_DIR", data_.filePath("runtime"));
        env_.insert("HOME", data_.path());
        valid_ = make_runtime_folder(runtime_dir(), false);
    }
}

Desktop::~Desktop() = default;

std::unique_ptr<ChildProcess> Desktop::run_as_user(const QStringList& command, const QProcessEnvironment& env,
                                                   QProcess::ProcessChannelMode channels) const
{
    return std::make_unique<ChildProcess>(as_user_ + command, env, data_.path(), channels);
}

QByteArray Desktop::output_of(const QStringList& command) const
{
    ChildProcess process(as_user_ + command, env_, data_.path(), QProcess::SeparateChannels);
    process.waitForFinished(30000);
    return process.readAllStandardOutput();
}

bool Desktop::start_game(const QProcessEnvironment& env)
{
    stop_game(); // one left over from a case that failed before it began
    game_ = run_as_user({program_}, env, QProcess::ForwardedOutputChannel);
    const QDeadlineTimer deadline(window_timeout_ms);
    game_started();
    while (window().isEmpty()) {
        if (!game_->started() || deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    // Into it, on a label, and out of the way again.
    click(window().topLeft() + layout::client_area.topLeft() + QPoint(150, 60));
    park_pointer();
    return true;
}

void Desktop::click_control(const QRect& control)
{
    click(window().topLeft() + layout::client_area.topLeft() + control.center());
}

bool Desktop::start_round()
{
    const QRect button = layout::start_btn.rect.translated(window().topLeft() + layout::client_area.topLeft());
    const QImage before = screen(button);
    click(button.center());
    park_pointer();
    const QDeadlineTimer deadline(3000);
    while (screen(button) == before && !deadline.hasExpired())
        QThread::msleep(5);
    return screen(button) != before;
}

GameRun Desktop::end_game(int signal, int timeout_ms)
{
    const GameRun end = game_->end_with(signal, timeout_ms);
    stop_game();
    return end;
}

void Desktop::stop_game()
{
    if (!game_)
        return;
    game_.reset();
    // Until its window has gone, the next one's could be taken for it.
    const QDeadlineTimer deadline(window_timeout_ms);
    while (!window().isEmpty() && !deadline.hasExpired())
        QThread::msleep(20);
}

QString Desktop::start_bus()
{
    const QString config = file_path("bus.conf");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)
        || file.write("<busconfig><include>/usr/share/dbus-1/session.conf</include>"
                      "<policy context=\"default\"><allow user=\"*\"/></policy></busconfig>\n") < 0)
        return {};
    file.close();
    const QString socket = QDir(runtime_dir()).filePath("bus");
    bus_ = run_as_user({"dbus-daemon", "--nofork", "--config-file=" + config, "--address=unix:path=" + socket});
    const QDeadlineTimer deadline(window_timeout_ms);
    while (!QFile::exists(socket) && bus_->started() && !deadline.hasExpired())
        QThread::msleep(20);
    if (!QFile::exists(socket))
        return {};
    env_.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + socket);
    env_.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + socket);
    return "unix:path=" + socket;
}

GameRun Desktop::run_game(const QProcessEnvironment& env) const
{
    return ChildProcess(as_user_ + QStringList{program_}, env, data_.path(), QProcess::SeparateChannels)
        .end_with(0, window_timeout_ms);
}

std::unique_ptr<Desktop> make_desktop(const QString& name, const QString& program, const QString& data_dir,
                                      double scale)
{
    if (name == "gnome")
        return make_gnome_desktop(program, data_dir, scale);
    return make_x_desktop(program, data_dir, name.isEmpty() ? QStringLiteral("xfwm4") : name);
}
