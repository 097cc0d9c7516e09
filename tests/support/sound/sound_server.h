#pragma once

#include "child_process.h"

#include <QDir>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// A private sound server whose only output is a null sink, "bench", that
// suspends a second after the last sound: nobody else's sound in the figures,
// and nothing left behind. PulseAudio needs the pulseaudio and
// pulseaudio-utils packages; PipeWire, as desktops run it (with WirePlumber
// and pipewire-pulse, so pactl and parec work alike), needs pipewire,
// pipewire-pulse, wireplumber, pulseaudio-utils and dbus-daemon.
//
// It can be killed, started again in the same place, and hung (stopped by
// SIGSTOP), as a player's server may be.
//
// With ZUMBREL_BENCH_REALTIME_SERVERS=1 (as root) the servers run at a
// real-time priority, as rtkit raises their audio threads on a desktop;
// otherwise they run as plain programs, which busy loops starve.
class SoundServer {
public:
    // The third is PulseAudio beside a PipeWire with no sink, as a desktop that
    // runs PipeWire for screen sharing only has it: sound must go to PulseAudio.
    enum class Kind { pulseaudio, pipewire, pulseaudio_beside_pipewire };
    static constexpr int sink_rate = 48000;
    static constexpr int suspend_after_seconds = 1;

    // Started at once unless told otherwise.
    explicit SoundServer(Kind kind, bool start_now = true);
    ~SoundServer();
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    Kind kind() const { return kind_; }
    static const char* name(Kind kind);
    const char* name() const { return name(kind_); }
    static bool realtime_servers();
    // Returns once the server answers.
    void start();
    // When it last did.
    std::chrono::steady_clock::time_point started_at() const { return started_at_; }
    // SIGKILL, as a crash would end it.
    void kill();
    // SIGSTOP, or SIGCONT once hung.
    void hang(bool hung);
    // CPU time used by the server's processes, in clock ticks.
    long cpu_ticks() const;
    // The environment given, this process's by default, changed to find this server, and only it.
    QProcessEnvironment client_env(QProcessEnvironment env = QProcessEnvironment::systemEnvironment()) const;
    QString monitor() const { return "bench.monitor"; }
    // The sink's state as pactl names it: RUNNING, IDLE or SUSPENDED.
    std::string sink_state() const;
    // Streams playing into the sink, corked or not, by the server's numbers,
    // which it never gives twice.
    std::vector<std::string> streams() const;
    // Whether a stream comes through PipeWire's PulseAudio server rather than PipeWire's own.
    bool streams_through_pulse() const;

private:
    std::optional<std::string> pactl(const QStringList& args) const;
    void run(const QStringList& command, const QProcessEnvironment& env);
    void write_pipewire_config() const;

    const Kind kind_;
    // Declared first, so removed only once the server has ended.
    const QTemporaryDir runtime_{QDir::tempPath() + "/zumbrel-sound-XXXXXX"};
    std::vector<std::unique_ptr<ChildProcess>> processes_;
    std::chrono::steady_clock::time_point started_at_{};
};
