#pragma once

#include "bench/child_process.h"

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// A private PulseAudio server whose only output is a null sink, "bench", that
// module-suspend-on-idle suspends after a second without sound: nobody else's
// sound in the figures, and nothing left behind. Needs the pulseaudio and
// pulseaudio-utils packages.
class PulseServer {
public:
    static constexpr int sink_rate = 44100;
    static constexpr int suspend_after_seconds = 1;

    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    pid_t pid() const { return server_->pid(); }
    // What a client's environment needs to find this server, and only it.
    std::vector<std::string> client_env() const;
    std::string monitor() const { return "bench.monitor"; }
    // The sink's state as pactl names it: RUNNING, IDLE or SUSPENDED.
    std::string sink_state() const;
    // Streams playing into the sink, corked or not.
    int streams() const;

private:
    std::optional<std::string> pactl(const std::string& args) const;

    std::string runtime_;
    std::string socket_;
    std::unique_ptr<ChildProcess> server_;
};
