// A headless sway, typed at through wtype's virtual keyboard, pointed at by
// its own seat commands and captured with grim.
#include "desktop.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <optional>

namespace {

// The first node of sway's tree, depth first, that shows the game's window
// with the keyboard focus.
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

class SwayDesktop final : public Desktop {
public:
    SwayDesktop(const QString& program, const QString& data_dir) : Desktop(program, data_dir)
    {
        valid_ = valid_ && start_sway();
    }

    QRect window() const override
    {
        const auto node = game_node(QJsonDocument::fromJson(output_of({"swaymsg", "-t", "get_tree"})).object());
        // window_rect is the window's own, relative to its container's.
        return node ? rect_of(node->value("window_rect")).translated(rect_of(node->value("rect")).topLeft()) : QRect();
    }

    QImage screen(QRect area) const override
    {
        const QString geometry = QStringLiteral("%1,%2 %3x%4").arg(area.x()).arg(area.y()).arg(area.width()).arg(area.height());
        return QImage::fromData(output_of({"grim", "-g", geometry, "-t", "ppm", "-"}), "PPM")
            .convertToFormat(QImage::Format_RGB32);
    }

    void click(QPoint at, int clicks) override
    {
        move_to(at);
        for (int click = 0; click < clicks; ++click)
            sway({"seat - cursor press button1", "seat - cursor release button1"});
    }

    void drag(QPoint from, QPoint by) override
    {
        move_to(from);
        sway({"seat - cursor press button1"});
        for (int step = 1; step <= 5; ++step) {
            move_to(from + by * step / 5);
            QThread::msleep(30);
        }
        sway({"seat - cursor release button1"});
    }

    void park_pointer() override { move_to({1020, 760}); }

    void tap(const QStringList& keys, int delay_ms) override
    {
        QStringList arguments{"wtype"};
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
        output_of(arguments);
    }

    void hold(const QString& key, int milliseconds) override
    {
        output_of({"wtype", "-P", key, "-s", QString::number(milliseconds), "-p", key});
    }

    bool request_full_screen() override
    {
        sway({"[app_id=io.github.zumbrel.Zumbrel] fullscreen enable"});
        return true;
    }

private:
    bool start_sway()
    {
        const QString config = file_path("sway.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly) || file.write("xwayland disable\n") < 0)
            return false;
        file.close();
        QProcessEnvironment env = env_;
        env.insert("WLR_BACKENDS", "headless");
        env.insert("WLR_LIBINPUT_NO_DEVICES", "1");
        env.insert("WLR_RENDERER", "pixman");
        sway_ = run_as_user({"sway", "-c", config}, env);

        const QDir runtime(runtime_dir());
        const QDeadlineTimer deadline(30000);
        QString display;
        QString ipc;
        while ((display.isEmpty() || ipc.isEmpty()) && sway_->started() && !deadline.hasExpired()) {
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
        keyboard_ = run_as_user({"wtype", "-s", "86400000"});
        while (!output_of({"swaymsg", "-t", "get_inputs"}).contains("\"keyboard\"")) {
            if (deadline.hasExpired())
                return false;
            QThread::msleep(20);
        }
        return true;
    }

    void sway(const QStringList& commands) const { output_of(QStringList{"swaymsg", commands.join(';')}); }
    void move_to(QPoint p) const { sway({QStringLiteral("seat - cursor set %1 %2").arg(p.x()).arg(p.y())}); }

    std::unique_ptr<ChildProcess> sway_;
    std::unique_ptr<ChildProcess> keyboard_;
};

} // namespace

std::unique_ptr<Desktop> make_sway_desktop(const QString& program, const QString& data_dir)
{
    return std::make_unique<SwayDesktop>(program, data_dir);
}
