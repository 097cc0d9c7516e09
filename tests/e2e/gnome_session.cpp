#include "gnome_session.h"

#include "game_process.h"
#include "x_capture.h"

#include "app/layout.h"

#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QThread>

#include <sys/stat.h>

namespace {

constexpr int start_timeout_ms = 30000;
const QSize client_size{296, 375};

// The shell's own virtual devices, made once, and a key's keyval by its X name.
const QString devices = QStringLiteral(
    "const C = imports.gi.Clutter, T = imports.gi.GLib.get_monotonic_time;"
    "const seat = C.get_default_backend().get_default_seat();"
    "global.zumbrelKeys ||= seat.create_virtual_device(C.InputDeviceType.KEYBOARD_DEVICE);"
    "global.zumbrelPointer ||= seat.create_virtual_device(C.InputDeviceType.POINTER_DEVICE);"
    "const key = (name, state) => global.zumbrelKeys.notify_keyval(T(), C['KEY_' + name], state);");

// Modifiers as their left-hand keys.
QString key_name(const QString& name)
{
    static const QHash<QString, QString> modifiers{{"shift", "Shift_L"}, {"super", "Super_L"}, {"ctrl", "Control_L"}};
    return modifiers.value(name, name);
}

QRect rect_of(const QJsonValue& value)
{
    const QJsonArray r = value.toArray();
    return {r.at(0).toInt(), r.at(1).toInt(), r.at(2).toInt(), r.at(3).toInt()};
}

// Columns with dark ink in their middle third, in runs: one run per glyph,
// however wide its drawing. Above and below, the desktop shows past the
// frame's rounded corners.
int ink_runs(const QImage& picture, int left, int right)
{
    int runs = 0;
    bool inked_before = false;
    for (int x = std::max(left, 0); x < std::min(right, picture.width()); ++x) {
        bool inked = false;
        for (int y = picture.height() / 3; y < picture.height() * 2 / 3 && !inked; ++y)
            inked = qGray(picture.pixel(x, y)) < 100;
        runs += inked && !inked_before;
        inked_before = inked;
    }
    return runs;
}

} // namespace

GnomeSession::GnomeSession(const QString& program, const QString& data_dir) : data_(data_dir)
{
    if (!data_.isValid())
        return;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE", "QT_WAYLAND_DECORATION"})
        env_.remove(name);
    if (const auto as_nobody_game = as_nobody(program, data_.path(), env_)) {
        game_program_ = as_nobody_game->last();
        as_user_ = as_nobody_game->mid(0, as_nobody_game->size() - 1);
    } else {
        game_program_ = program;
        env_.insert("XDG_RUNTIME_DIR", data_.filePath("runtime"));
        if (!make_runtime_folder(env_.value("XDG_RUNTIME_DIR"), false))
            return;
    }
    // Where the settings the test chooses are kept.
    env_.insert("HOME", env_.value("XDG_RUNTIME_DIR"));
    // The game installed, so that the shell knows it by its desktop entry.
    const QString prefix = data_.filePath("installed");
    ChildProcess install({"cmake", "--install", ZUMBREL_BUILD_DIR, "--prefix", prefix}, env_, {}, QProcess::SeparateChannels);
    if (!install.waitForFinished(60000) || install.exitCode() != 0)
        return;
    env_.insert("XDG_DATA_DIRS", prefix + "/share:/usr/local/share:/usr/share");
    env_.insert("XDG_CURRENT_DESKTOP", "GNOME");
    env_.insert("SDL_AUDIODRIVER", "dummy");
    valid_ = start_shell();
}

GnomeSession::~GnomeSession()
{
    stop_game();
    xsettings_.reset();
    shell_.reset();
    dbus_.reset();
    QDBusConnection::disconnectFromBus("zumbrel-gnome");
    bus_.reset();
}

std::unique_ptr<ChildProcess> GnomeSession::run_as_user(const QStringList& command) const
{
    return std::make_unique<ChildProcess>(as_user_ + command, env_, data_.path());
}

bool GnomeSession::start_shell()
{
    // One bus as the session's and the system's, which any user may join:
    // the test is root, the shell may be nobody.
    const QString config = data_.filePath("bus.conf");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)
        || file.write("<busconfig><include>/usr/share/dbus-1/session.conf</include>"
                      "<policy context=\"default\"><allow user=\"*\"/></policy></busconfig>\n") < 0)
        return false;
    file.close();
    const QString socket = QDir(env_.value("XDG_RUNTIME_DIR")).filePath("bus");
    bus_ = run_as_user({"dbus-daemon", "--nofork", "--config-file=" + config, "--address=unix:path=" + socket});
    const QDeadlineTimer deadline(start_timeout_ms);
    while (!QFile::exists(socket) && bus_->started() && !deadline.hasExpired())
        QThread::msleep(20);
    env_.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + socket);
    env_.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + socket);
    dbus_ = QDBusConnection::connectToBus("unix:path=" + socket, "zumbrel-gnome");
    if (!dbus_->isConnected())
        return false;

    // XWayland puts its socket there, and would not make the folder itself.
    if (!QFile::exists("/tmp/.X11-unix") && QDir().mkpath("/tmp/.X11-unix"))
        ::chmod("/tmp/.X11-unix", 01777);
    shell_ = run_as_user({"gnome-shell", "--headless", "--wayland", "--unsafe-mode", "--virtual-monitor", "1024x768"});
    QJsonArray names;
    while (names.size() != 3 || names.at(0).toString().isEmpty()) {
        if (!shell_->started() || deadline.hasExpired())
            return false;
        QThread::msleep(100);
        names = QJsonDocument::fromJson(eval("Main.layoutManager._startingUp ? [] : "
                                             "['DISPLAY', 'XAUTHORITY', 'WAYLAND_DISPLAY'].map(n => imports.gi.GLib.getenv(n))")
                                            .toUtf8()).array();
    }
    // The shell starts in its overview, whose hot corner a pointer could open again.
    eval("Main.overview.hide()");
    env_.insert("DISPLAY", names.at(0).toString());
    env_.insert("XAUTHORITY", names.at(1).toString());
    env_.insert("WAYLAND_DISPLAY", names.at(2).toString());
    // This process's own requests to the X server.
    qputenv("XAUTHORITY", names.at(1).toString().toLocal8Bit());
    run_as_user({"gsettings", "set", "org.gnome.desktop.interface", "enable-hot-corners", "false"})->waitForFinished();
    // As in a GNOME session: X11 clients, the frames among them, get GNOME's settings from it.
    xsettings_ = run_as_user({"/usr/libexec/gsd-xsettings"});
    return xsettings_->started();
}

QString GnomeSession::eval(const QString& script) const
{
    QDBusMessage call = QDBusMessage::createMethodCall("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell", "Eval");
    call << script;
    const QDBusMessage reply = dbus_->call(call, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2 || !reply.arguments().at(0).toBool())
        return {};
    return reply.arguments().at(1).toString();
}

std::optional<GnomeSession::Window> GnomeSession::window() const
{
    const QJsonObject found = QJsonDocument::fromJson(eval(
        "(() => { const w = global.get_window_actors().map(a => a.meta_window).find(w => w.get_title() === 'Zumbrel');"
        "if (!w || w.minimized) return {};"
        "const f = w.get_frame_rect(), c = w.frame_rect_to_client_rect(f);"
        "return {frame: [f.x, f.y, f.width, f.height], client: [c.x, c.y, c.width, c.height],"
        "id: w.get_description().split(' ')[0], focus: w.has_focus(),"
        "app: imports.gi.Shell.WindowTracker.get_default().get_window_app(w)?.get_id() ?? ''}; })()").toUtf8()).object();
    if (!found.value("focus").toBool())
        return std::nullopt;
    // Under GNOME the game's own caption is part of its X window.
    QRect client = rect_of(found.value("client"));
    client.setTopLeft(client.topLeft() + layout::client_area.topLeft());
    return Window{rect_of(found.value("frame")), client, found.value("id").toString(), found.value("app").toString()};
}

QImage GnomeSession::screen_area(QRect area) const
{
    const QString file = QDir(env_.value("XDG_RUNTIME_DIR")).filePath("capture.png");
    QDBusMessage call = QDBusMessage::createMethodCall("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot",
                                                       "org.gnome.Shell.Screenshot", "ScreenshotArea");
    call << area.x() << area.y() << area.width() << area.height() << false << file;
    if (area.isEmpty() || dbus_->call(call, QDBus::Block, 10000).type() != QDBusMessage::ReplyMessage)
        return {};
    const QImage picture = QImage(file).convertToFormat(QImage::Format_RGB32);
    QFile::remove(file);
    return picture;
}

bool GnomeSession::start_game()
{
    stop_game();
    game_ = run_as_user({game_program_});
    const QDeadlineTimer deadline(start_timeout_ms);
    while (!window()) {
        if (!game_->started() || deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    // Into the window, and away from the button.
    click_at({150, 60});
    return true;
}

void GnomeSession::stop_game()
{
    if (!game_)
        return;
    game_.reset();
    const QDeadlineTimer deadline(start_timeout_ms);
    while (window() && !deadline.hasExpired())
        QThread::msleep(20);
}

QImage GnomeSession::capture() const
{
    const auto w = window();
    return w ? screen_area(w->client) : QImage();
}

void GnomeSession::keys(const QStringList& names, bool press, bool release)
{
    QString script = devices;
    for (const QString& name : names) {
        QStringList chord = name.split('+');
        for (QString& key : chord)
            key = key_name(key);
        if (press)
            for (const QString& key : chord)
                script += QStringLiteral("key('%1', C.KeyState.PRESSED);").arg(key);
        if (release)
            for (auto key = chord.crbegin(); key != chord.crend(); ++key)
                script += QStringLiteral("key('%1', C.KeyState.RELEASED);").arg(*key);
    }
    eval(script);
}

void GnomeSession::tap(const QStringList& names, int delay_ms)
{
    if (delay_ms == 0) {
        keys(names, true, true);
        return;
    }
    for (const QString& name : names) {
        keys({name}, true, true);
        QThread::msleep(delay_ms);
    }
}

void GnomeSession::hold(const QString& key, int milliseconds)
{
    keys({key}, true, false);
    QThread::msleep(milliseconds);
    keys({key}, false, true);
}

void GnomeSession::click_start()
{
    tap({"Tab", "space"}, 0);
}

void GnomeSession::move_to(QPoint screen_point)
{
    eval(devices + QStringLiteral("global.zumbrelPointer.notify_absolute_motion(T(), %1, %2);")
                       .arg(screen_point.x()).arg(screen_point.y()));
}

void GnomeSession::button(bool press)
{
    eval(devices + QStringLiteral("global.zumbrelPointer.notify_button(T(), C.BUTTON_PRIMARY, C.ButtonState.%1);")
                       .arg(press ? "PRESSED" : "RELEASED"));
}

void GnomeSession::click_at(QPoint client_point, int clicks)
{
    const auto w = window();
    if (!w)
        return;
    move_to(w->client.topLeft() + client_point);
    for (int click = 0; click < clicks; ++click) {
        QThread::msleep(80);
        button(true);
        QThread::msleep(40);
        button(false);
    }
}

void GnomeSession::drag(QPoint from_client_point, QPoint by)
{
    const auto w = window();
    if (!w)
        return;
    const QPoint from = w->client.topLeft() + from_client_point;
    move_to(from);
    QThread::msleep(80);
    button(true);
    // In steps, as a hand moves, so the compositor sees a drag and not a jump.
    for (int step = 1; step <= 5; ++step) {
        move_to(from + by * step / 5);
        QThread::msleep(30);
    }
    button(false);
}

QImage GnomeSession::title_bar() const
{
    const auto w = window();
    return w ? screen_area(QRect(w->frame.topLeft(), QSize(w->frame.width(), w->client.top() - w->frame.top()))) : QImage();
}

std::optional<int> GnomeSession::frame_buttons() const
{
    // Right of the caption, which GNOME centres.
    const QImage bar = title_bar();
    return bar.isNull() ? std::nullopt : std::optional<int>(ink_runs(bar, bar.width() * 2 / 3, bar.width()));
}

bool GnomeSession::caption_whole() const
{
    // Its seven letters, apart in GNOME's caption font, in the middle third.
    const QImage bar = title_bar();
    return ink_runs(bar, bar.width() / 3, bar.width() * 2 / 3) == 7;
}

QStringList GnomeSession::button_layouts() const
{
    return {QString(), "appmenu:minimize,maximize,close"};
}

void GnomeSession::use_button_layout(const QString& layout)
{
    const QString key = "org.gnome.desktop.wm.preferences";
    run_as_user(layout.isEmpty() ? QStringList{"gsettings", "reset", key, "button-layout"}
                                 : QStringList{"gsettings", "set", key, "button-layout", layout})
        ->waitForFinished();
}

QString GnomeSession::app_id() const
{
    const auto w = window();
    return w ? w->app : QString();
}

QList<GameSession::FrameAction> GnomeSession::frame_actions()
{
    const auto park = [this] { move_to({1000, 700}); };
    const int right = client_size.width();
    const int bottom = client_size.height();
    return {
        {"double-click on the title bar", [=, this] { click_at({right / 2, -18}, 2); park(); }},
        {"click where a maximise button would be", [=, this] { click_at({right - 50, -18}); park(); }},
        {"Super+Up", [this] { tap({"super+Up"}, 0); }},
        {"full-screen request", [this] {
            if (const auto w = window())
                request_full_screen(env_.value("DISPLAY"), w->id.toUInt(nullptr, 16));
        }},
        {"drag of the right edge", [=, this] { drag({right + 2, bottom / 2}, {100, 0}); park(); }},
        {"drag of the bottom-right corner", [=, this] { drag({right + 2, bottom + 2}, {100, 60}); park(); }},
    };
}
