#pragma once

#include "media/sound_backend.h"
#include "media/sound_device.h"

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace media {

// The game's sounds, on one thread of their own that makes the backend and
// drives it by the output's rules: loading the sound library, opening a card
// or reaching a sound server never holds up the window. A name's file is read
// when it is opened and loaded once the output is open. A play while the
// output is not open is silent: a hit heard late would be a wrong sound. A
// backend that cannot be made leaves every sound silent.
class SoundOutput final : public SoundDevice {
public:
    using Maker = std::function<std::unique_ptr<SoundBackend>()>;

    SoundOutput();
    // Waits a little for the sound thread; one held by a hung sound server is
    // left to end on its own, so that the program can.
    ~SoundOutput() override;
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // Starts the sound thread, which makes the backend first; called once.
    void start(Maker maker);

    void open(std::string_view file, std::string_view alias) override;
    void play_from_start(std::string_view alias) override;
    void close(std::string_view alias) override;
    void keep_ready(bool ready) override;

    // For tests and measurements: waits at most `timeout` until the output is
    // open with every name loaded (`open`) or let go (`!open`), or cannot be
    // had. Whether it is then open as asked.
    bool wait_for_output(bool open, std::chrono::milliseconds timeout);

private:
    struct State;
    // Shared with the sound thread, which may outlive this object.
    std::shared_ptr<State> state_;
    std::thread thread_;
};

} // namespace media
