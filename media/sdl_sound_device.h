#pragma once

#include "media/sound_device.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

struct Mix_Chunk;

namespace media {

// Sounds through SDL2_mixer. SDL's mixer is process-wide, so at most one of
// these may exist at a time. Without an audio device it stays silent.
//
// A thread of its own opens the output and loads the named sounds, so no
// caller waits for a sound card: a play before the output is open is silent.
// Quiet and not kept ready for a while, it lets the output go, so the sound
// server can suspend; the sounds stay loaded for when it is opened again.
class SdlSoundDevice final : public SoundDevice {
public:
    SdlSoundDevice() = default;
    ~SdlSoundDevice() override;
    SdlSoundDevice(const SdlSoundDevice&) = delete;
    SdlSoundDevice& operator=(const SdlSoundDevice&) = delete;

    void open(std::string_view file, std::string_view alias) override;
    void play_from_start(std::string_view alias) override;
    void close(std::string_view alias) override;
    void keep_ready(bool ready) override;

    // For tests and measurements: waits at most `timeout` until the output is
    // open with every named sound loaded (`open`) or let go (`!open`), or is
    // known to be missing. Whether the output is then open as asked.
    bool wait_for_output(bool open, std::chrono::milliseconds timeout);

private:
    using Clock = std::chrono::steady_clock;

    struct FreeChunk {
        void operator()(Mix_Chunk* chunk) const;
    };
    using Chunk = std::unique_ptr<Mix_Chunk, FreeChunk>;

    // Only the device's thread moves the output between states. While it is
    // `changing`, that thread works on the mixer without the lock, and no one
    // else may touch the mixer.
    enum class Output { changing, open, let_go, missing };

    // The slot's index is its mixer channel, so one name never cuts another.
    struct Slot {
        std::string alias;
        Chunk chunk;
    };

    // Opened, and loaded as soon as the output is open.
    struct Waiting {
        std::string file;
        std::string alias;
    };

    void run();
    void open_output(std::unique_lock<std::mutex>& lock);
    void close_output(std::unique_lock<std::mutex>& lock);
    bool start_sdl_audio();
    void quit_sdl_audio();
    void load_waiting_sounds();
    void forget(std::string_view alias);
    Slot* find(std::string_view alias);
    Slot& claim_slot();
    int channel_of(const Slot& slot) const;

    // SDL's subsystems that were up before the output was opened; used by the
    // device's thread alone.
    std::uint32_t sdl_before_ = 0;

    // Guards everything from here to the thread.
    std::mutex mutex_;
    std::condition_variable changed_;
    Output output_ = Output::changing;
    bool kept_ready_ = false;
    bool stopping_ = false;
    Clock::time_point quiet_from_ = Clock::now();
    std::vector<Slot> slots_;
    std::vector<Waiting> waiting_;
    // Closed while the mixer was changing, to be freed once it has settled.
    std::vector<Chunk> closed_meanwhile_;
    // Last, so that it starts once everything above is in place.
    std::thread thread_{[this] { run(); }};
};

} // namespace media
