#pragma once

#include "media/sound_device.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace media {

// Stands in for a sound device that is made later, on a thread of its own, so
// that making it (loading the sound libraries, probing the card) never holds up
// the window. Opens, closes and "keep ready" are kept and handed on in their
// order once the device is there; plays before then are silent, as on a device
// whose output is not open yet. A maker that gives nothing leaves every sound
// silent.
class DeferredSoundDevice final : public SoundDevice {
public:
    using Maker = std::function<std::unique_ptr<SoundDevice>()>;

    DeferredSoundDevice() = default;
    ~DeferredSoundDevice() override;
    DeferredSoundDevice(const DeferredSoundDevice&) = delete;
    DeferredSoundDevice& operator=(const DeferredSoundDevice&) = delete;

    void open(std::string_view file, std::string_view alias) override;
    void play_from_start(std::string_view alias) override;
    void close(std::string_view alias) override;
    void keep_ready(bool ready) override;

    // Starts making the device; called once.
    void make(Maker maker);

    // For tests and measurements: waits at most `timeout` for the maker to
    // finish. Whether it gave a device.
    bool wait_for_device(std::chrono::milliseconds timeout);

private:
    using Command = std::function<void(SoundDevice&)>;

    void arrive(std::unique_ptr<SoundDevice> device);
    void send(Command command);

    // Guards everything from here to the thread.
    std::mutex mutex_;
    std::condition_variable arrived_;
    bool made_ = false;
    std::unique_ptr<SoundDevice> device_;
    std::vector<Command> kept_;
    std::thread maker_;
};

} // namespace media
