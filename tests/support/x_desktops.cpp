// Desktops shown in an Xvfb and driven there with xdotool: xfwm4 managing X11
// windows, and sway, weston and KWin, each a Wayland compositor in an X window.
#include "desktop.h"

#include "x_capture.h"
#include "xvfb.h"

#include "app/layout.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QRegularExpression>
#include <QThread>

namespace {

constexpr int start_timeout_ms = 30000;

class XDisplayDesktop : public Desktop {
public:
    XDisplayDesktop(const QString& program, const QString& data_dir) : Desktop(program, data_dir)
    {
        valid_ = valid_ && x_.isValid();
        env_.insert("DISPLAY", x_.name());
    }

    QImage screen(QRect area) const override { return capture_window(x_.connection(), x_.root(), area); }

    void click(QPoint at, int clicks) override
    {
        move_to(at);
        x_.xdotool({"click", "--repeat", QString::number(clicks), "--delay", "80", "1"});
    }

    void drag(QPoint from, QPoint by) override
    {
        move_to(from);
        x_.xdotool({"mousedown", "1"});
        // In steps, as a hand moves, so the desktop sees a drag and not a jump.
        for (int step = 1; step <= 5; ++step) {
            move_to(from + by * step / 5);
            QThread::msleep(30);
        }
        x_.xdotool({"mouseup", "1"});
    }

    void park_pointer() override { move_to({1000, 700}); }
    void tap(const QStringList& keys, int delay_ms) override { x_.tap(keys, delay_ms); }
    void hold(const QString& key, int milliseconds) override { x_.hold(key, milliseconds); }

protected:
    void move_to(QPoint p)
    {
        x_.xdotool({"mousemove", QString::number(p.x()), QString::number(p.y())});
        // A compositor hands the pointer to the window under it a moment later.
        QThread::msleep(100);
    }

    Xvfb x_{QStringLiteral("1024x768")};
};

// xfwm4 puts frames round X11 windows and has them obey its key bindings.
class XfwmDesktop final : public XDisplayDesktop {
public:
    XfwmDesktop(const QString& program, const QString& data_dir) : XDisplayDesktop(program, data_dir)
    {
        // Without its compositor, which would put shadows round the window;
        // it finds its settings on the session bus.
        valid_ = valid_ && !start_bus().isEmpty();
        QProcessEnvironment env = env_;
        env.insert("NO_AT_BRIDGE", "1");
        wm_ = run_as_user({"xfwm4", "--compositor=off", "--sm-client-disable"}, env);
        const QDeadlineTimer deadline(start_timeout_ms);
        while (!has_window_manager(x_.connection()) && wm_->started() && !deadline.hasExpired())
            QThread::msleep(20);
        valid_ = valid_ && has_window_manager(x_.connection());
    }

    QRect window() const override
    {
        const QStringList active =
            x_.xdotool({"getactivewindow", "getwindowname", "%1", "getwindowgeometry", "--shell", "%1"}).split('\n');
        if (active.value(0) != QLatin1String("Zumbrel"))
            return {};
        QHash<QString, int> values;
        for (const QString& line : active.mid(1))
            values.insert(line.section('=', 0, 0), line.section('=', 1).toInt());
        window_id_ = values.value("WINDOW");
        return {values.value("X"), values.value("Y"), values.value("WIDTH"), values.value("HEIGHT")};
    }

    QString maximise_shortcut() const override { return QStringLiteral("alt+F10"); }

    bool request_full_screen() override
    {
        ::request_full_screen(x_.name(), xcb_window_t(window_id_));
        return true;
    }

private:
    std::unique_ptr<ChildProcess> wm_;
    mutable int window_id_ = 0;
};

// How far the colour at `start` runs in steps of `step`.
int run_length(const QImage& screen, QPoint start, QPoint step)
{
    const QRgb colour = screen.pixel(start);
    int length = 0;
    for (QPoint p = start; screen.rect().contains(p) && screen.pixel(p) == colour; p += step)
        ++length;
    return length;
}

// The first entry of `folder` matching `pattern` that is a socket, not its lock.
QString socket_in(const QDir& folder, const QString& pattern)
{
    for (const QString& name : folder.entryList({pattern}, QDir::System))
        if (!name.endsWith(QLatin1String(".lock")))
            return name;
    return {};
}

// A Wayland compositor drawing into an X window on the Xvfb screen, which
// hands it the X server's pointer and keyboard; the game is its client, found
// on the screen by its title picture.
class NestedDesktop final : public XDisplayDesktop {
public:
    NestedDesktop(const QString& program, const QString& data_dir, const QString& name)
        : XDisplayDesktop(program, data_dir), name_(name)
    {
        QProcessEnvironment env = env_;
        if (name == "kde") {
            valid_ = valid_ && !start_bus().isEmpty();
            compositor_ = run_as_user({"kwin_wayland", "--x11-display", x_.name(), "--width", "1024", "--height", "768",
                                       "--socket", "wayland-kwin", "--no-lockscreen"});
        } else if (name == "sway") {
            write_file(file_path("sway.conf"), "xwayland disable\n");
            env.insert("WLR_BACKENDS", "x11");
            env.insert("WLR_RENDERER", "pixman");
            compositor_ = run_as_user({"sway", "-c", file_path("sway.conf")}, env);
        } else {
            // No panel, whose launcher a stray click would start, no screen
            // lock, and windows that show and go at once.
            write_file(file_path("weston.ini"), "[shell]\npanel-position=none\nlocking=false\nbackground-image=none\n"
                                                "background-color=0xff204080\nanimation=none\nclose-animation=none\n"
                                                "startup-animation=none\nfocus-animation=none\n");
            compositor_ = run_as_user({"weston", "--backend=x11-backend.so", renderer_option(), "--width=1024",
                                       "--height=768", "--idle-time=0", "--socket=wayland-e2e",
                                       "--config=" + file_path("weston.ini")});
        }
        const QDir runtime(runtime_dir());
        const QDeadlineTimer deadline(start_timeout_ms);
        while (socket_in(runtime, "wayland-*").isEmpty() && compositor_->started() && !deadline.hasExpired())
            QThread::msleep(20);
        valid_ = valid_ && !socket_in(runtime, "wayland-*").isEmpty();
        // The game gets to see this Xvfb only in the case that gives it an X display.
        env_.remove("DISPLAY");
        env_.insert("WAYLAND_DISPLAY", socket_in(runtime, "wayland-*"));
        env_.insert("SWAYSOCK", runtime.filePath(socket_in(runtime, "sway-ipc.*.sock")));
        // A held key is the compositor's to repeat, as with a real keyboard; the
        // X server's repeats would reach KWin as presses and releases.
        const std::uint32_t off = XCB_AUTO_REPEAT_MODE_OFF;
        std::free(xcb_request_check(x_.connection(),
                                    xcb_change_keyboard_control_checked(x_.connection(), XCB_KB_AUTO_REPEAT_MODE, &off)));
        // Weston moves its pointer by the X pointer's steps, from its own
        // top-left corner: into that corner, both are at one place from then on.
        move_to({0, 0});
    }

    QRect window() const override
    {
        static const QImage row = QImage(QStringLiteral(ZUMBREL_DATA_DIR "/bmp/25.bmp"))
                                      .convertToFormat(QImage::Format_RGB32).copy(0, 0, layout::Picture2.width(), 1);
        const QImage all = screen({0, 0, 1024, 768}).convertToFormat(QImage::Format_RGB32);
        // While the title picture shows, the window is found again: a maximise may move it.
        const QPoint offset = layout::client_area.topLeft() + layout::Picture2.topLeft();
        const auto* wanted = reinterpret_cast<const QRgb*>(row.constScanLine(0));
        std::optional<QPoint> found;
        for (int y = offset.y(); y < all.height() && !found; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(all.constScanLine(y));
            for (int x = offset.x(); x + row.width() <= all.width() && !found; ++x)
                if (line[x] == wanted[0] && std::equal(wanted, wanted + row.width(), line + x))
                    found = QPoint(x, y) - offset;
        }
        // Its edge, one colour, runs along its top and down its left side.
        const auto edged = [&](QPoint origin) {
            return QRect(origin, QSize(run_length(all, origin, {1, 0}), run_length(all, origin, {0, 1})));
        };
        // Elsewhere, as in a round, it is where it was while it shows the same edge.
        if (found)
            last_ = edged(*found);
        else if (last_.isEmpty() || edged(last_.topLeft()) != last_)
            last_ = QRect();
        return last_;
    }

    QString maximise_shortcut() const override { return name_ == "kde" ? "super+Prior" : ""; }

    bool request_full_screen() override
    {
        if (name_ != "sway")
            return false;
        output_of({"swaymsg", "[app_id=io.github.zumbrel.Zumbrel] fullscreen enable"});
        return true;
    }

private:
    static QString renderer_option()
    {
        // Weston 12 gave its renderer option a new name.
        QProcess weston;
        weston.start("weston", {"--version"});
        weston.waitForFinished(10000);
        const auto version = QRegularExpression("weston (\\d+)").match(QString::fromLatin1(weston.readAllStandardOutput()));
        return version.captured(1).toInt() >= 12 ? "--renderer=pixman" : "--use-pixman";
    }

    const QString name_;
    std::unique_ptr<ChildProcess> compositor_;
    mutable QRect last_;
};

} // namespace

std::unique_ptr<Desktop> make_x_desktop(const QString& program, const QString& data_dir, const QString& name)
{
    if (name == "xfwm4")
        return std::make_unique<XfwmDesktop>(program, data_dir);
    return std::make_unique<NestedDesktop>(program, data_dir, name);
}
