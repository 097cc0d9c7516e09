#pragma once

#include "media/sound_backend.h"
#include "media/sound_device.h"

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace media {

// The game's sounds, on one thread of their own that makes the backend and
// drives it by the output's rules, so that loading the sound library or
// reaching a sound server never holds up the window. A name's file is read
// as it opens and loaded once the output is open. A play while the output
// is not open is silent: a hit heard late would be a wrong sound.
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
    // with every name loaded, or let go, or cannot be had. Whether it is then
    // open as asked.
    bool wait_for_output(bool open, std::chrono::milliseconds timeout);

private:
    struct State;
    // Shared with the sound thread, which may outlive this object.
    std::shared_ptr<State> state_;
    std::thread thread_;
};

} // namespace media
