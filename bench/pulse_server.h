#pragma once

#include "child_process.h"

#include <QDir>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>

// A private PulseAudio server whose only output is a null sink, "bench", that
// module-suspend-on-idle suspends after a second without sound: nobody else's
// sound in the figures, and nothing left behind. Needs the pulseaudio and
// pulseaudio-utils packages.
class PulseServer {
public:
    static constexpr int sink_rate = 44100;
    static constexpr int suspend_after_seconds = 1;

    PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    pid_t pid() const { return pid_t(server_->processId()); }
    // This process's environment, changed to find this server, and only it.
    QProcessEnvironment client_env() const;
    QString monitor() const { return "bench.monitor"; }
    // The sink's state as pactl names it: RUNNING, IDLE or SUSPENDED.
    std::string sink_state() const;
    // Streams playing into the sink, corked or not.
    int streams() const;

private:
    std::optional<std::string> pactl(const QStringList& args) const;

    // Declared first, so removed only once the server has ended.
    const QTemporaryDir runtime_{QDir::tempPath() + "/zumbrel-pulse-XXXXXX"};
    const QString socket_ = runtime_.filePath("native");
    std::unique_ptr<ChildProcess> server_;
};
