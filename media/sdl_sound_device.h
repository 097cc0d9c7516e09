#pragma once

#include "media/sound_device.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct Mix_Chunk;

namespace media {

// Sounds through SDL2_mixer. SDL's mixer is process-wide, so at most one of
// these may exist at a time. Without an audio device it stays silent.
class SdlSoundDevice final : public SoundDevice {
public:
    SdlSoundDevice();
    ~SdlSoundDevice() override;
    SdlSoundDevice(const SdlSoundDevice&) = delete;
    SdlSoundDevice& operator=(const SdlSoundDevice&) = delete;

    void open(std::string_view file, std::string_view alias) override;
    void play_from_start(std::string_view alias) override;
    void close(std::string_view alias) override;

private:
    struct FreeChunk {
        void operator()(Mix_Chunk* chunk) const;
    };

    // The slot's index is its mixer channel, so one name never cuts another.
    struct Slot {
        std::string alias;
        std::unique_ptr<Mix_Chunk, FreeChunk> chunk;
    };

    Slot* find(std::string_view alias);
    Slot& claim_slot(std::string_view alias);
    int channel_of(const Slot& slot) const;
    void quit_sdl_audio();

    // SDL's subsystems that were up before this device brought up audio.
    std::uint32_t sdl_before_ = 0;
    bool audio_open_ = false;
    std::vector<Slot> slots_;
};

} // namespace media
