// Desktops shown in an Xvfb and driven there through XTest: the bare X
// server, xfwm4 managing X11 windows, and sway, weston and KWin, each a
// Wayland compositor in an X window.
#include "desktop.h"

#include "x_session.h"

#include "app/layout.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QRegularExpression>
#include <QThread>

namespace {

constexpr int start_timeout_ms = 30000;

class XDisplayDesktop : public Desktop {
public:
    XDisplayDesktop(const QString& program, const QString& data_dir, bool as_nobody = true)
        : Desktop(program, data_dir, as_nobody)
    {
        valid_ = valid_ && x_.isValid();
        env_.insert("DISPLAY", x_.name());
    }

    QImage screen(QRect area) const override { return x_.capture(area); }
    void click(QPoint at, int clicks) override { x_.click(at, clicks); }
    void drag(QPoint from, QPoint by) override { x_.drag(from, by); }
    void park_pointer() override { x_.pointer_to({1000, 700}); }
    void tap(const QStringList& keys, int delay_ms) override { x_.tap(keys, delay_ms); }
    void hold(const QString& key, int milliseconds) override { x_.hold(key, milliseconds); }
    const XSession* x_session() const override { return &x_; }

protected:
    XSession x_{{1024, 768}};
};

// The X server alone, as the benches and hardening tests have it: the game's
// window is wherever it maps itself, and no window manager gives it the
// keyboard, so the desktop does.
class BareX final : public XDisplayDesktop {
public:
    BareX(const QString& program, const QString& data_dir) : XDisplayDesktop(program, data_dir, false) {}

    QRect window() const override { return window_ == XCB_NONE ? QRect() : x_.geometry(window_); }

protected:
    void game_started() override
    {
        window_ = x_.wait_for_window(QStringLiteral("Zumbrel"), std::chrono::milliseconds(start_timeout_ms))
                      .value_or(XCB_NONE);
        if (window_ != XCB_NONE)
            x_.focus(window_);
    }

private:
    xcb_window_t window_ = XCB_NONE;
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
        while (!x_.has_window_manager() && wm_->started() && !deadline.hasExpired())
            QThread::msleep(20);
        valid_ = valid_ && x_.has_window_manager();
    }

    QRect window() const override
    {
        const auto active = x_.active_window();
        if (!active || x_.title_of(*active) != QLatin1String("Zumbrel"))
            return {};
        window_ = *active;
        return x_.geometry(*active);
    }

    QString maximise_shortcut() const override { return QStringLiteral("alt+F10"); }

    bool request_full_screen() override
    {
        x_.request_full_screen(window_);
        return true;
    }

private:
    std::unique_ptr<ChildProcess> wm_;
    mutable xcb_window_t window_ = XCB_NONE;
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
        x_.keyboard_repeat(false);
    }

    QRect window() const override
    {
        static const QImage row = QImage(QStringLiteral(ZUMBREL_DATA_DIR "/bmp/25.bmp"))
                                      .convertToFormat(QImage::Format_RGB32).copy(0, 0, layout::Picture2.rect.width(), 1);
        const QImage all = screen({0, 0, 1024, 768}).convertToFormat(QImage::Format_RGB32);
        // While the title picture shows, the window is found again: a maximise may move it.
        const QPoint offset = layout::client_area.topLeft() + layout::Picture2.rect.topLeft();
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

    QString maximise_shortcut() const override
    {
        return name_ == "kde" ? "super+Prior" : name_ == "weston" ? "super+shift+m" : "";
    }

    bool request_full_screen() override
    {
        if (name_ == "sway")
            output_of({"swaymsg", "[app_id=io.github.zumbrel.Zumbrel] fullscreen enable"});
        else if (name_ == "weston")
            x_.tap({"super+shift+f"});
        else
            output_of({"gdbus", "call", "--session", "--dest", "org.kde.kglobalaccel", "--object-path",
                       "/component/kwin", "--method", "org.kde.kglobalaccel.Component.invokeShortcut",
                       "Window Fullscreen"});
        return true;
    }

protected:
    // Weston moves its pointer by the X pointer's steps, and a step before
    // its window showed is lost: through the far corner into the near one,
    // both are at one place from then on, wherever they were.
    void game_started() override
    {
        x_.pointer_to({1023, 767});
        x_.pointer_to({0, 0});
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
    if (name == "x11")
        return std::make_unique<BareX>(program, data_dir);
    if (name == "xfwm4")
        return std::make_unique<XfwmDesktop>(program, data_dir);
    return std::make_unique<NestedDesktop>(program, data_dir, name);
}
