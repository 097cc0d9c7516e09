#include "bench/pulse_server.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

namespace {

[[noreturn]] void give_up(const std::string& what)
{
    std::fprintf(stderr, "zumbrel bench: %s\n", what.c_str());
    std::exit(1);
}

std::string private_folder()
{
    std::string path = (std::filesystem::temp_directory_path() / "zumbrel-pulse-XXXXXX").string();
    if (!mkdtemp(path.data()))
        give_up("cannot make a folder for PulseAudio");
    return path;
}

} // namespace

PulseServer::PulseServer()
    : runtime_(private_folder())
    , socket_(runtime_ + "/native")
{
    // HOME too: the server keeps its cookie and state under it.
    server_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{
            "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--log-target=file:" + runtime_ + "/log",
            "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket_,
            "-L", "module-null-sink sink_name=bench rate=" + std::to_string(sink_rate),
            "-L", "module-suspend-on-idle timeout=" + std::to_string(suspend_after_seconds)},
        std::vector<std::string>{"PULSE_RUNTIME_PATH=" + runtime_, "XDG_RUNTIME_DIR=" + runtime_,
                                 "HOME=" + runtime_, "PULSE_SERVER"},
        runtime_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!pactl("info")) {
        if (!server_->running() || std::chrono::steady_clock::now() > deadline)
            give_up("no PulseAudio server (packages pulseaudio and pulseaudio-utils)");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

PulseServer::~PulseServer()
{
    server_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(runtime_, ignored);
}

std::vector<std::string> PulseServer::client_env() const
{
    return {"PULSE_SERVER=unix:" + socket_, "XDG_RUNTIME_DIR=" + runtime_};
}

std::string PulseServer::sink_state() const
{
    std::istringstream sinks(pactl("list sinks short").value_or(""));
    // Tab-separated: index, name, driver, sample format, state.
    for (std::string line; std::getline(sinks, line);)
        if (line.find("\tbench\t") != std::string::npos)
            return line.substr(line.rfind('\t') + 1);
    return "gone";
}

int PulseServer::streams() const
{
    const std::string inputs = pactl("list sink-inputs short").value_or("");
    int lines = 0;
    for (const char c : inputs)
        lines += c == '\n';
    return lines;
}

std::optional<std::string> PulseServer::pactl(const std::string& args) const
{
    const std::string command = "PULSE_SERVER='unix:" + socket_ + "' pactl " + args + " 2>/dev/null";
    FILE* const output = popen(command.c_str(), "r");
    if (!output)
        return std::nullopt;
    std::string text;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, output))
        text.append(buffer, n);
    if (pclose(output) != 0)
        return std::nullopt;
    return text;
}
