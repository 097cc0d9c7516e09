#pragma once

#include "media/sound_backend.h"
#include "media/sound_device.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace media {

// The game's sounds, on one thread of their own that makes the backend and
// drives it by the output's rules: loading the sound library or reaching a
// sound server never holds up the window. A name's file is read as it opens,
// and loaded once the output is open. A play while the output is not open is
// silent: a hit heard late would be a wrong sound.
class SoundOutput final : public SoundDevice {
public:
    using Maker = std::function<std::unique_ptr<SoundBackend>()>;

    SoundOutput();
    // A sound thread held by a hung sound server is left to end on its own.
    ~SoundOutput() override;
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // Once. A maker that gives nothing leaves every sound silent.
    void start(Maker maker);
    void open(std::string_view file, std::string_view alias) override;
    void play_from_start(std::string_view alias) override;
    void close(std::string_view alias) override;
    void keep_ready(bool ready) override;

    // For tests and benches: waits at most `timeout` until the output is open
    // with every name loaded, or let go, or not to be had. Whether it is open as asked.
    bool wait_for_output(bool open, std::chrono::milliseconds timeout);

private:
    struct State;
    // Shared with the sound thread, which may outlive this object.
    std::shared_ptr<State> state_;
    std::thread thread_;
};

// Beside the program, built or installed; never the current folder, which
// holds the player's data, so nowhere for a program that cannot say where it is.
std::optional<std::filesystem::path> sound_module_place(const std::filesystem::path& program);

// The SDL backend from its module: SDL_mixer and the forty-odd libraries it
// needs take longer to load than the window takes to show. Nothing if it does
// not load, with the reason on standard error.
std::unique_ptr<SoundBackend> load_sound_module();

// SDL asks PulseAudio to hold no more than the buffer it mixes, which ran dry;
// the server's client library takes a target from the environment instead,
// as an output opens. A player's own is kept. Before any thread starts, as
// changing the environment is not safe beside them.
inline constexpr char pulseaudio_latency_variable[] = "PULSE_LATENCY_MSEC";
void set_sound_server_latency();

} // namespace media
