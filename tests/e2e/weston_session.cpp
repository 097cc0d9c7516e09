#include "weston_session.h"

#include "game_process.h"
#include "x_capture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

namespace {

constexpr int start_timeout_ms = 20000;
const QSize client_size{296, 375};

QImage title_picture_row()
{
    return QImage(QStringLiteral(ZUMBREL_DATA_DIR "/bmp/25.bmp")).convertToFormat(QImage::Format_RGB32).copy(0, 0, 265, 1);
}

// Where the title picture's first row lies in `screen`, as the origin of the
// client area that holds it at (17, 133); null if it is not there.
std::optional<QPoint> find_client(const QImage& screen, const QImage& row)
{
    const auto* wanted = reinterpret_cast<const QRgb*>(row.constScanLine(0));
    for (int y = 133; y < screen.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(screen.constScanLine(y));
        for (int x = 17; x + row.width() <= screen.width(); ++x)
            if (line[x] == wanted[0] && std::equal(wanted, wanted + row.width(), line + x))
                return QPoint(x - 17, y - 133);
    }
    return std::nullopt;
}

// How far the window's background runs from `start` in steps of `step`.
int run_length(const QImage& screen, QPoint start, QPoint step)
{
    const QRgb background = screen.pixel(start);
    int length = 0;
    for (QPoint p = start; screen.rect().contains(p) && screen.pixel(p) == background; p += step)
        ++length;
    return length;
}

int weston_major_version()
{
    QProcess weston;
    weston.start("weston", {"--version"});
    weston.waitForFinished(10000);
    const auto match = QRegularExpression("weston (\\d+)").match(QString::fromLatin1(weston.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

} // namespace

WestonSession::WestonSession(QString program, QString data_dir, bool xwayland)
    : program_(std::move(program))
    , data_dir_(std::move(data_dir))
    , xwayland_(xwayland)
    , same_colour_border_(xwayland ? 0 : 3)
{
    if (!x_.isValid())
        return;
    runtime_dir_ = QDir::temp().filePath(QStringLiteral("zumbrel-weston-%1").arg(QCoreApplication::applicationPid()));
    if (!make_runtime_folder(runtime_dir_, false))
        return;
    const QString log = QDir(runtime_dir_).filePath("weston.log");
    // No panel, whose launcher a stray click would start, no screen lock, a
    // plain background to measure windows against, and windows that show and
    // go at once.
    const QString config = QDir(runtime_dir_).filePath("weston.ini");
    QFile config_file(config);
    if (!config_file.open(QIODevice::WriteOnly)
        || config_file.write("[shell]\npanel-position=none\nlocking=false\nbackground-image=none\nbackground-color=0xff204080\n"
                               "animation=none\nclose-animation=none\nstartup-animation=none\nfocus-animation=none\n") < 0)
        return;
    config_file.close();
    // Weston 12 gave its renderer option a new name.
    QStringList command{"weston", "--backend=x11-backend.so",
                        weston_major_version() >= 12 ? "--renderer=pixman" : "--use-pixman",
                        "--width=1024", "--height=768", "--idle-time=0", "--socket=wayland-e2e", "--log=" + log, "--config=" + config};
    if (xwayland_)
        command << "--xwayland";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("WAYLAND_DISPLAY");
    env.insert("DISPLAY", x_.name());
    env.insert("XDG_RUNTIME_DIR", runtime_dir_);
    weston_ = std::make_unique<ChildProcess>(command, env, runtime_dir_);

    const QDeadlineTimer deadline(start_timeout_ms);
    const QString socket = QDir(runtime_dir_).filePath("wayland-e2e");
    const QRegularExpression listening("xserver listening on display (:\\d+)");
    QRegularExpressionMatch x_match;
    while (weston_->started() && !deadline.hasExpired()) {
        QFile file(log);
        if (file.open(QIODevice::ReadOnly))
            x_match = listening.match(QString::fromLatin1(file.readAll()));
        if (QFile::exists(socket) && (!xwayland_ || x_match.hasMatch()))
            break;
        QThread::msleep(20);
    }
    // The Xvfb has no window manager: its keys go to the window under the
    // pointer, weston's, which hands them on.
    if (!QFile::exists(socket) || (xwayland_ && !x_match.hasMatch()))
        return;
    // Weston moves its pointer by the X pointer's steps, from its own top-left
    // corner: into that corner, both pointers are at one place from then on.
    x_.xdotool({"mousemove", "0", "0"});
    xwayland_display_ = x_match.captured(1);
    wayland_display_ = "wayland-e2e";
}

WestonSession::~WestonSession()
{
    game_.reset();
    weston_.reset();
    if (!runtime_dir_.isEmpty())
        QDir(runtime_dir_).removeRecursively();
}

bool WestonSession::start_game()
{
    stop_game();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The game is to choose its platform itself, as on a player's desktop.
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "XDG_SESSION_TYPE", "QT_WAYLAND_DECORATION"})
        env.remove(name);
    env.insert("XDG_RUNTIME_DIR", runtime_dir_);
    env.insert("WAYLAND_DISPLAY", wayland_display_);
    if (xwayland_)
        env.insert("DISPLAY", xwayland_display_);
    env.insert("SDL_AUDIODRIVER", "dummy");
    game_ = std::make_unique<ChildProcess>(QStringList{program_}, env, data_dir_);
    if (!game_->started())
        return false;
    const QDeadlineTimer deadline(start_timeout_ms);
    while (!client_origin()) {
        if (!game_->started() || deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    origin_ = *client_origin();
    // Into the window, so it has the keyboard focus, and away from the button.
    click_at({150, 60});
    return true;
}

void WestonSession::stop_game()
{
    if (!game_)
        return;
    game_.reset();
    // Until its window has gone, the next one's would be looked for there.
    const QDeadlineTimer deadline(start_timeout_ms);
    while (client_origin() && !deadline.hasExpired())
        QThread::msleep(20);
}

std::optional<QPoint> WestonSession::client_origin() const
{
    static const QImage row = title_picture_row();
    return find_client(capture_window(x_.connection(), x_.root()).convertToFormat(QImage::Format_RGB32), row);
}

void WestonSession::click_at(QPoint client_point, int clicks)
{
    const QPoint p = origin_ + client_point;
    x_.xdotool({"mousemove", QString::number(p.x()), QString::number(p.y())});
    // Weston hands the pointer to XWayland's window a moment after it moves
    // there; a click sent at once would land on the window it left.
    QThread::msleep(100);
    x_.xdotool({"click", "--repeat", QString::number(clicks), "--delay", "80", "1"});
}

void WestonSession::drag(QPoint from_client_point, QPoint by)
{
    const QPoint from = origin_ + from_client_point;
    const QPoint to = from + by;
    x_.xdotool({"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1"});
    // In steps, as a hand moves, so the compositor sees a drag and not a jump.
    for (int step = 1; step <= 5; ++step) {
        const QPoint p = from + by * step / 5;
        x_.xdotool({"mousemove", QString::number(p.x()), QString::number(p.y())});
        QThread::msleep(30);
    }
    x_.xdotool({"mousemove", QString::number(to.x()), QString::number(to.y()), "mouseup", "1"});
}

void WestonSession::click_start()
{
    // By the keyboard, as under sway: weston's pointer follows the X pointer
    // only by its steps, and now and then a click on the button missed it.
    tap({"Tab", "space"}, 0);
}

void WestonSession::tap(const QStringList& keys, int delay_ms)
{
    x_.tap(keys, delay_ms);
}

void WestonSession::hold(const QString& key, int milliseconds)
{
    x_.hold(key, milliseconds);
}

QImage WestonSession::capture() const
{
    const QImage screen = capture_window(x_.connection(), x_.root()).convertToFormat(QImage::Format_RGB32);
    // A maximise moves the window; while the title picture shows, it is found again.
    static const QImage row = title_picture_row();
    if (const auto origin = find_client(screen, row))
        origin_ = *origin;
    // Its background shows between the Start button and the play area's frame
    // (row 124) and left of that frame (column 3), to the right and bottom edges.
    const int width = run_length(screen, origin_ + QPoint(0, 124), {1, 0}) - same_colour_border_;
    const int height = 124 + run_length(screen, origin_ + QPoint(3, 124), {0, 1}) - same_colour_border_;
    if (width <= 0 || height <= 124)
        return {};
    return screen.copy(QRect(origin_, QSize(width, height)));
}

std::optional<int> WestonSession::frame_buttons() const
{
    if (!xwayland_)
        return std::nullopt; // Qt's frame always shows three; see the README
    const QImage screen = capture_window(x_.connection(), x_.root()).convertToFormat(QImage::Format_RGB32);
    // The title bar right of the caption: runs of columns with dark ink in
    // them, each one button, however wide its drawing.
    const QRect strip = QRect(origin_ + QPoint(200, -24), QSize(96, 20)).intersected(screen.rect());
    int buttons = 0;
    int blank_columns = 3;
    for (int x = strip.left(); x <= strip.right(); ++x) {
        bool inked = false;
        for (int y = strip.top(); y <= strip.bottom() && !inked; ++y)
            inked = qGray(screen.pixel(x, y)) < 100;
        if (inked && blank_columns >= 3)
            ++buttons;
        blank_columns = inked ? 0 : blank_columns + 1;
    }
    return buttons;
}

QList<GameSession::FrameAction> WestonSession::frame_actions()
{
    const auto refresh = [this] { capture(); };
    // Weston draws the pointer into the captures: away from the title bar, after each action.
    const auto park = [this] { x_.xdotool({"mousemove", "1020", "760"}); };
    const int right = client_size.width();
    const int bottom = client_size.height();
    QList<FrameAction> actions{
        {"double-click on the title bar", [=, this] { refresh(); click_at({right / 2, -12}, 2); park(); }},
        {"click where a maximise button would be", [=, this] { refresh(); click_at({right - 40, -12}); park(); }},
        {"Super+Up", [this] { tap({"super+Up"}, 0); }},
        {"drag of the right edge", [=, this] { refresh(); drag({right + 1, bottom / 2}, {100, 0}); park(); }},
        {"drag of the bottom-right corner", [=, this] { refresh(); drag({right + 1, bottom + 1}, {100, 60}); park(); }},
    };
    if (xwayland_) {
        // Weston's own frame has no way to ask for it; X11 clients can.
        actions.append({"full-screen request", [this] {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("DISPLAY", xwayland_display_);
            ChildProcess search({"xdotool", "search", "--name", "^Zumbrel$"}, env, {}, QProcess::SeparateChannels);
            search.waitForFinished(20000);
            for (const QByteArray& id : search.readAllStandardOutput().split('\n'))
                if (!id.trimmed().isEmpty())
                    request_full_screen(xwayland_display_, id.trimmed().toUInt());
        }});
    }
    return actions;
}
