#pragma once

#include "media/sound_device.h"

#include <chrono>
#include <memory>
#include <string_view>
#include <thread>

namespace media {

// Sounds through SDL2_mixer. SDL's mixer is process-wide, so at most one of
// these may exist at a time. Without an audio device it stays silent.
//
// A thread of its own opens the output and loads the named sounds, so no
// caller waits for a sound card or a sound server: a play while the output is
// not open is silent. Quiet and not kept ready for a while, it lets the output
// go, so the sound server can suspend; the sounds stay loaded for when it is
// opened again. An output whose server went away is let go and, while kept
// ready, opened again; an output that cannot be had is tried again at most
// once a second while kept ready, and not at all otherwise.
//
// The output starts with a small buffer, for a hit heard soon after the key,
// and is opened again with a larger one each time the server is noticed to
// have run dry; on PulseAudio, which holds the target the environment gives
// it (see sound_server_latency.h), the buffer stays small.
class SdlSoundDevice final : public SoundDevice {
public:
    SdlSoundDevice();
    // Waits a little for the device's thread; a thread held by a hung sound
    // server is left to end on its own, so that the program can.
    ~SdlSoundDevice() override;
    SdlSoundDevice(const SdlSoundDevice&) = delete;
    SdlSoundDevice& operator=(const SdlSoundDevice&) = delete;

    void open(std::string_view file, std::string_view alias) override;
    void play_from_start(std::string_view alias) override;
    void close(std::string_view alias) override;
    void keep_ready(bool ready) override;

    // For tests and measurements: waits at most `timeout` until the output is
    // open with every named sound loaded (`open`) or let go (`!open`), or has
    // failed to open. Whether the output is then open as asked.
    bool wait_for_output(bool open, std::chrono::milliseconds timeout);
    // For tests: how many times the output has been opened, leaving out its
    // openings a size up.
    int openings();

private:
    class Worker;
    // Shared with the device's thread, which may outlive this object.
    std::shared_ptr<Worker> worker_;
    std::thread thread_;
};

} // namespace media
