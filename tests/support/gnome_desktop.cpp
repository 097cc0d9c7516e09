// A headless GNOME Shell in its unsafe mode, in which it lets a test list its
// windows, capture the screen and drive its virtual input devices over D-Bus.
#include "desktop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QThread>

#include <optional>

namespace {

// The shell's own virtual devices, made once, and a key's keyval by its X name.
const QString devices = QStringLiteral(
    "const C = imports.gi.Clutter, T = imports.gi.GLib.get_monotonic_time;"
    "const seat = C.get_default_backend().get_default_seat();"
    "global.zumbrelKeys ||= seat.create_virtual_device(C.InputDeviceType.KEYBOARD_DEVICE);"
    "global.zumbrelPointer ||= seat.create_virtual_device(C.InputDeviceType.POINTER_DEVICE);"
    "const key = (name, state) => global.zumbrelKeys.notify_keyval(T(), C['KEY_' + name], state);"
    "const button = state => global.zumbrelPointer.notify_button(T(), C.BUTTON_PRIMARY, C.ButtonState[state]);");

// The game's window with the focus, in the script's words.
const QString game_window = QStringLiteral(
    "global.get_window_actors().map(a => a.meta_window).find(w => w.get_title() === 'Zumbrel' && w.has_focus())");

class GnomeDesktop final : public Desktop {
public:
    GnomeDesktop(const QString& program, const QString& data_dir, double scale) : Desktop(program, data_dir)
    {
        // The game installed, so that the shell knows it by its desktop entry.
        const QString prefix = file_path("installed");
        ChildProcess install({"cmake", "--install", ZUMBREL_BUILD_DIR, "--prefix", prefix}, env_, {},
                             QProcess::SeparateChannels);
        env_.insert("XDG_DATA_DIRS", prefix + "/share:/usr/local/share:/usr/share");
        env_.insert("XDG_CURRENT_DESKTOP", "GNOME");
        env_.insert("XDG_SESSION_TYPE", "wayland");
        valid_ = valid_ && install.waitForFinished(60000) && install.exitCode() == 0 && start_shell(scale)
            && (scale == 1 || scale_to(scale));
    }

    ~GnomeDesktop() override
    {
        stop_game();
        shell_.reset();
        dbus_.reset();
        QDBusConnection::disconnectFromBus("zumbrel-gnome");
    }

    QRect window() const override
    {
        const QJsonArray r = QJsonDocument::fromJson(
            eval("(() => { const w = " + game_window + "; if (!w || w.minimized) return [];"
                 "const f = w.get_frame_rect(); return [f.x, f.y, f.width, f.height]; })()").toUtf8()).array();
        return r.size() == 4 ? QRect(r.at(0).toInt(), r.at(1).toInt(), r.at(2).toInt(), r.at(3).toInt()) : QRect();
    }

    QImage screen(QRect area) const override
    {
        const QString file = QDir(runtime_dir()).filePath("capture.png");
        QDBusMessage call = QDBusMessage::createMethodCall("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot",
                                                           "org.gnome.Shell.Screenshot", "ScreenshotArea");
        call << area.x() << area.y() << area.width() << area.height() << false << file;
        if (area.isEmpty() || dbus_->call(call, QDBus::Block, 10000).type() != QDBusMessage::ReplyMessage)
            return {};
        const QImage picture = QImage(file).convertToFormat(QImage::Format_RGB32);
        QFile::remove(file);
        return picture;
    }

    void click(QPoint at, int clicks) override
    {
        move_to(at);
        for (int click = 0; click < clicks; ++click) {
            QThread::msleep(80);
            eval(devices + "button('PRESSED')");
            QThread::msleep(40);
            eval(devices + "button('RELEASED')");
        }
    }

    void drag(QPoint from, QPoint by) override
    {
        move_to(from);
        QThread::msleep(80);
        eval(devices + "button('PRESSED')");
        for (int step = 1; step <= 5; ++step) {
            move_to(from + by * step / 5);
            QThread::msleep(30);
        }
        eval(devices + "button('RELEASED')");
    }

    void park_pointer() override { move_to({1000, 700}); }

    void tap(const QStringList& names, int delay_ms) override
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

    void hold(const QString& key, int milliseconds) override
    {
        keys({key}, true, false);
        QThread::msleep(milliseconds);
        keys({key}, false, true);
    }

    QString maximise_shortcut() const override { return QStringLiteral("super+Up"); }

    bool request_full_screen() override
    {
        eval(game_window + "?.make_fullscreen()");
        return true;
    }

    QString app_id() const override
    {
        return text_of(eval("imports.gi.Shell.WindowTracker.get_default().get_window_app(" + game_window + ")?.get_id() ?? ''"));
    }

private:
    bool start_shell(double scale)
    {
        const QString bus = start_bus();
        dbus_ = QDBusConnection::connectToBus(bus, "zumbrel-gnome");
        if (!dbus_->isConnected())
            return false;
        const QDeadlineTimer deadline(60000);
        // No hot corner that a pointer could open the overview in, and scales
        // other than whole ones.
        for (const QStringList& setting : {QStringList{"org.gnome.desktop.interface", "enable-hot-corners", "false"},
                                           QStringList{"org.gnome.mutter", "experimental-features",
                                                       scale == 1 ? "[]" : "['scale-monitor-framebuffer']"}})
            run_as_user(QStringList{"gsettings", "set"} + setting)->waitForFinished();
        // Larger when scaled, so that the window fits.
        shell_ = run_as_user({"gnome-shell", "--headless", "--wayland", "--no-x11", "--unsafe-mode",
                              "--virtual-monitor", scale == 1 ? "1024x768" : "1536x1152"});
        QString display;
        while (display.isEmpty() || display == "null") {
            if (!shell_->started() || deadline.hasExpired())
                return false;
            QThread::msleep(100);
            display = eval("Main.layoutManager._startingUp ? null : imports.gi.GLib.getenv('WAYLAND_DISPLAY')");
        }
        // The shell starts in its overview, and with a banner about screen
        // locking over the top of the screen, where a scaled window's caption is.
        eval("Main.overview.hide(); Main.messageTray.bannerBlocked = true");
        env_.insert("WAYLAND_DISPLAY", text_of(display));
        return true;
    }

    // The monitor at `scale`, as its settings would put it.
    bool scale_to(double scale)
    {
        const QStringList call{"gdbus", "call", "--session", "--dest", "org.gnome.Mutter.DisplayConfig", "--object-path",
                               "/org/gnome/Mutter/DisplayConfig", "--method"};
        const QString state = QString::fromUtf8(output_of(call + QStringList{"org.gnome.Mutter.DisplayConfig.GetCurrentState"}));
        const auto serial = QRegularExpression("^\\(uint32 (\\d+)").match(state);
        const auto connector = QRegularExpression("\\(\\('([^']+)'").match(state);
        const auto mode = QRegularExpression("'(\\d+x\\d+@[\\d.]+)'").match(state);
        if (!serial.hasMatch() || !connector.hasMatch() || !mode.hasMatch())
            return false;
        const QString monitors = QStringLiteral("[(0, 0, %1, uint32 0, true, [('%2', '%3', @a{sv} {})])]")
                                     .arg(scale).arg(connector.captured(1), mode.captured(1));
        output_of(call + QStringList{"org.gnome.Mutter.DisplayConfig.ApplyMonitorsConfig", serial.captured(1), "1",
                                     monitors, "@a{sv} {}"});
        return eval("global.display.get_monitor_scale(0)").toDouble() == scale;
    }

    // A string the shell gave back in JSON.
    static QString text_of(const QString& json)
    {
        return QJsonDocument::fromJson("[" + json.toUtf8() + "]").array().at(0).toString();
    }

    QString eval(const QString& script) const
    {
        QDBusMessage call = QDBusMessage::createMethodCall("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell", "Eval");
        call << script;
        const QDBusMessage reply = dbus_->call(call, QDBus::Block, 10000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2 || !reply.arguments().at(0).toBool())
            return {};
        return reply.arguments().at(1).toString();
    }

    void keys(const QStringList& names, bool press, bool release) const
    {
        // Modifiers as their left-hand keys.
        static const QHash<QString, QString> modifiers{{"shift", "Shift_L"}, {"super", "Super_L"}, {"alt", "Alt_L"}};
        QString script = devices;
        for (const QString& name : names) {
            QStringList chord = name.split('+');
            for (QString& key : chord)
                key = modifiers.value(key, key);
            if (press)
                for (const QString& key : chord)
                    script += QStringLiteral("key('%1', C.KeyState.PRESSED);").arg(key);
            if (release)
                for (auto key = chord.crbegin(); key != chord.crend(); ++key)
                    script += QStringLiteral("key('%1', C.KeyState.RELEASED);").arg(*key);
        }
        eval(script);
    }

    void move_to(QPoint p) const
    {
        eval(devices + QStringLiteral("global.zumbrelPointer.notify_absolute_motion(T(), %1, %2);").arg(p.x()).arg(p.y()));
    }

    std::unique_ptr<ChildProcess> shell_;
    std::optional<QDBusConnection> dbus_;
};

} // namespace

std::unique_ptr<Desktop> make_gnome_desktop(const QString& program, const QString& data_dir, double scale)
{
    return std::make_unique<GnomeDesktop>(program, data_dir, scale);
}
