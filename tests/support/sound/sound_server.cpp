#include "sound_server.h"

#include "process_stats.h"
#include "summary.h"

#include <QFile>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace {

void wait_for_file(const QString& path)
{
    for (int tries = 0; !QFile::exists(path) && tries < 500; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// The null sink, and how soon WirePlumber suspends it; PipeWire reads this
// beside its own configuration.
const char* const pipewire_sink = R"(context.objects = [
  { factory = adapter
    args = {
      factory.name = support.null-audio-sink
      node.name = bench
      node.description = bench
      media.class = Audio/Sink
      audio.position = [ FL FR ]
      audio.rate = %1
      session.suspend-timeout-seconds = %2
      object.linger = true
      monitor.channel-volumes = true
    }
  }
]
)";

} // namespace

bool SoundServer::realtime_servers()
{
    return qEnvironmentVariableIntValue("ZUMBREL_BENCH_REALTIME_SERVERS") == 1;
}

SoundServer::SoundServer(Kind kind, bool start_now) : kind_(kind)
{
    if (!runtime_.isValid() || !QDir(runtime_.path()).mkpath("pulse"))
        give_up("cannot make a folder for the sound server");
    if (kind_ == Kind::pipewire)
        write_pipewire_config();
    if (start_now)
        start();
}

SoundServer::~SoundServer()
{
    hang(false);
}

const char* SoundServer::name(Kind kind)
{
    switch (kind) {
    case Kind::pulseaudio: return "PulseAudio";
    case Kind::pipewire: return "PipeWire";
    case Kind::pulseaudio_beside_pipewire: return "PulseAudio beside a PipeWire without sinks";
    }
    return "";
}

void SoundServer::start()
{
    processes_.clear();
    // HOME too: the servers keep cookies and state under it.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XDG_RUNTIME_DIR", "PIPEWIRE_RUNTIME_DIR", "HOME"})
        env.insert(name, runtime_.path());
    env.insert("PULSE_RUNTIME_PATH", runtime_.filePath("pulse"));
    env.insert("XDG_CONFIG_HOME", runtime_.filePath("config"));
    env.insert("XDG_STATE_HOME", runtime_.filePath("state"));
    for (const char* name : {"PULSE_SERVER", "PIPEWIRE_REMOTE", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(name);
    const QString socket = runtime_.filePath("pulse/native");
    if (kind_ != Kind::pipewire) {
        if (kind_ == Kind::pulseaudio_beside_pipewire)
            run({"pipewire"}, env);
        run({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
             "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket,
             "-L", QStringLiteral("module-null-sink sink_name=bench rate=%1").arg(sink_rate),
             "-L", QStringLiteral("module-suspend-on-idle timeout=%1").arg(suspend_after_seconds)},
            env);
    } else {
        // WirePlumber wants a session bus; a private one keeps it off the desktop's.
        const QString bus = runtime_.filePath("bus");
        QFile::remove(bus);
        run({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=unix:path=" + bus}, env);
        wait_for_file(bus);
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + bus);
        // WirePlumber ends at once if PipeWire's socket is not there yet.
        const QString socket_of_pipewire = runtime_.filePath("pipewire-0");
        QFile::remove(socket_of_pipewire);
        run({"pipewire"}, env);
        wait_for_file(socket_of_pipewire);
        run({"wireplumber"}, env);
        run({"pipewire-pulse"}, env);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    // WirePlumber makes the null sink the default once it has found it.
    const auto ready = [this] { return pactl({"get-default-sink"}).value_or("") == "bench\n"; };
    while (!ready()) {
        for (const auto& process : processes_)
            if (process->waitForFinished(0))
                give_up("a sound server ended at its start (packages pulseaudio, pulseaudio-utils, pipewire, "
                        "pipewire-pulse, wireplumber, dbus-daemon)");
        if (std::chrono::steady_clock::now() > deadline)
            give_up("the sound server did not answer within 15 s");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    started_at_ = std::chrono::steady_clock::now();
}

// What the servers print goes to a log in their folder, off the figures.
void SoundServer::run(const QStringList& command, const QProcessEnvironment& env)
{
    // Whole servers rather than their audio threads alone, as rtkit would
    // raise: a sandbox may refuse the limit that lets them raise themselves.
    const QStringList realtime = realtime_servers() ? QStringList{"chrt", "--rr", "5"} : QStringList{};
    const QStringList logged =
        QStringList{"sh", "-c", "exec \"$@\" >>\"$0\" 2>&1", runtime_.filePath("log")} + realtime + command;
    processes_.push_back(std::make_unique<ChildProcess>(logged, env, runtime_.path()));
    if (!processes_.back()->started())
        give_up("cannot start a sound server's program");
}

void SoundServer::kill()
{
    for (const auto& process : processes_) {
        process->kill();
        process->waitForFinished();
    }
}

void SoundServer::hang(bool hung)
{
    for (const auto& process : processes_)
        if (process->state() == QProcess::Running && !process->arguments().contains("dbus-daemon"))
            ::kill(pid_t(process->processId()), hung ? SIGSTOP : SIGCONT);
}

long SoundServer::cpu_ticks() const
{
    long ticks = 0;
    for (const auto& process : processes_)
        ticks += ::cpu_ticks(pid_t(process->processId()));
    return ticks;
}

QProcessEnvironment SoundServer::client_env(QProcessEnvironment env) const
{
    env.insert("PULSE_SERVER", "unix:" + runtime_.filePath("pulse/native"));
    // PipeWire's clients look here for its socket; a PulseAudio's holds none.
    env.insert("XDG_RUNTIME_DIR", runtime_.path());
    env.insert("PIPEWIRE_RUNTIME_DIR", runtime_.path());
    env.remove("PIPEWIRE_REMOTE");
    return env;
}

std::string SoundServer::sink_state() const
{
    std::istringstream sinks(pactl({"list", "sinks", "short"}).value_or(""));
    // Tab-separated: index, name, driver, sample format, state.
    for (std::string line; std::getline(sinks, line);)
        if (line.find("\tbench\t") != std::string::npos)
            return line.substr(line.rfind('\t') + 1);
    return "gone";
}

std::vector<std::string> SoundServer::streams() const
{
    std::istringstream inputs(pactl({"list", "sink-inputs", "short"}).value_or(""));
    std::vector<std::string> numbers;
    for (std::string line; std::getline(inputs, line);)
        numbers.push_back(line.substr(0, line.find('\t')));
    return numbers;
}

bool SoundServer::streams_through_pulse() const
{
    return pactl({"list", "sink-inputs"}).value_or("").find("client.api = \"pipewire-pulse\"") != std::string::npos;
}

std::optional<std::string> SoundServer::pactl(const QStringList& args) const
{
    ChildProcess pactl(QStringList{"pactl"} + args, client_env(), {}, QProcess::SeparateChannels);
    if (!pactl.waitForFinished() || pactl.exitStatus() != QProcess::NormalExit || pactl.exitCode() != 0)
        return std::nullopt;
    return pactl.readAllStandardOutput().toStdString();
}

void SoundServer::write_pipewire_config() const
{
    QDir config(runtime_.path());
    QFile file(config.filePath("config/pipewire/pipewire.conf.d/bench.conf"));
    if (!config.mkpath("config/pipewire/pipewire.conf.d") || !file.open(QIODevice::WriteOnly)
        || file.write(QString::fromLatin1(pipewire_sink).arg(sink_rate).arg(suspend_after_seconds).toUtf8()) < 0)
        give_up("cannot write PipeWire's configuration");
}
