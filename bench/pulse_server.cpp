#include "bench/pulse_server.h"

#include "bench/summary.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

PulseServer::PulseServer()
{
    if (!runtime_.isValid())
        give_up("cannot make a folder for PulseAudio");
    // HOME too: the server keeps its cookie and state under it.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"PULSE_RUNTIME_PATH", "XDG_RUNTIME_DIR", "HOME"})
        env.insert(name, runtime_.path());
    env.remove("PULSE_SERVER");
    server_ = std::make_unique<ChildProcess>(
        QStringList{"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                    "--log-target=file:" + runtime_.filePath("log"),
                    "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket_,
                    "-L", QStringLiteral("module-null-sink sink_name=bench rate=%1").arg(sink_rate),
                    "-L", QStringLiteral("module-suspend-on-idle timeout=%1").arg(suspend_after_seconds)},
        env, runtime_.path());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!pactl({"info"})) {
        if (server_->waitForFinished(0) || std::chrono::steady_clock::now() > deadline)
            give_up("no PulseAudio server (packages pulseaudio and pulseaudio-utils)");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

QProcessEnvironment PulseServer::client_env() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PULSE_SERVER", "unix:" + socket_);
    env.insert("XDG_RUNTIME_DIR", runtime_.path());
    return env;
}

std::string PulseServer::sink_state() const
{
    std::istringstream sinks(pactl({"list", "sinks", "short"}).value_or(""));
    // Tab-separated: index, name, driver, sample format, state.
    for (std::string line; std::getline(sinks, line);)
        if (line.find("\tbench\t") != std::string::npos)
            return line.substr(line.rfind('\t') + 1);
    return "gone";
}

int PulseServer::streams() const
{
    const std::string inputs = pactl({"list", "sink-inputs", "short"}).value_or("");
    int lines = 0;
    for (const char c : inputs)
        lines += c == '\n';
    return lines;
}

std::optional<std::string> PulseServer::pactl(const QStringList& args) const
{
    ChildProcess pactl(QStringList{"pactl"} + args, client_env(), {}, QProcess::SeparateChannels);
    if (!pactl.waitForFinished() || pactl.exitStatus() != QProcess::NormalExit || pactl.exitCode() != 0)
        return std::nullopt;
    return pactl.readAllStandardOutput().toStdString();
}
