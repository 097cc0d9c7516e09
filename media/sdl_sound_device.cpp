#include "media/sdl_sound_device.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <alsa/asoundlib.h>

#include <algorithm>

namespace media {

namespace {

// 512 frames at 44.1 kHz is 11.6 ms: short enough for a reflex game, while
// 256 dropped out on PulseAudio on a loaded machine.
constexpr int frequency = 44100;
constexpr int output_channels = 2;
constexpr int buffer_frames = 512;

// Without a sound card ALSA reports every failed probe on stderr; a player
// without speakers is not an error worth a terminal full of text.
void ignore_alsa_error(const char*, int, const char*, int, const char*, ...) {}

} // namespace

void SdlSoundDevice::FreeChunk::operator()(Mix_Chunk* chunk) const
{
    Mix_FreeChunk(chunk);
}

SdlSoundDevice::SdlSoundDevice()
{
    snd_lib_error_set_handler(ignore_alsa_error);
    // SDL would otherwise take SIGINT and SIGTERM for itself, and Qt's
    // window would no longer quit on them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    sdl_before_ = SDL_WasInit(SDL_INIT_EVERYTHING);
    // Allowing no changes makes SDL convert for the hardware, so the sounds are
    // converted to one known format once, when they are loaded.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0
        || Mix_OpenAudioDevice(frequency, AUDIO_S16SYS, output_channels, buffer_frames, nullptr, 0) != 0) {
        quit_sdl_audio();
        return;
    }
    audio_open_ = true;
    // A channel comes with each name opened, none before.
    Mix_AllocateChannels(0);
}

SdlSoundDevice::~SdlSoundDevice()
{
    if (!audio_open_)
        return;
    Mix_HaltChannel(-1);
    slots_.clear();
    Mix_CloseAudio();
    quit_sdl_audio();
}

// SDL 2.32 brings the events subsystem up along with audio and leaves it up
// when audio fails to start; SDL 2.26 takes it down again. Quitting whatever
// was not up before covers both.
void SdlSoundDevice::quit_sdl_audio()
{
    SDL_QuitSubSystem(SDL_WasInit(SDL_INIT_EVERYTHING) & ~sdl_before_);
}

void SdlSoundDevice::open(std::string_view file, std::string_view alias)
{
    close(alias);
    if (!audio_open_)
        return;
    Mix_Chunk* chunk = Mix_LoadWAV(std::string(file).c_str());
    if (chunk)
        claim_slot(alias).chunk.reset(chunk);
}

void SdlSoundDevice::play_from_start(std::string_view alias)
{
    if (const Slot* slot = find(alias))
        Mix_PlayChannel(channel_of(*slot), slot->chunk.get(), 0);
}

void SdlSoundDevice::close(std::string_view alias)
{
    Slot* slot = find(alias);
    if (!slot)
        return;
    Mix_HaltChannel(channel_of(*slot));
    slot->chunk.reset();
}

SdlSoundDevice::Slot* SdlSoundDevice::find(std::string_view alias)
{
    const auto open_under_alias = [alias](const Slot& slot) { return slot.chunk && slot.alias == alias; };
    const auto it = std::find_if(slots_.begin(), slots_.end(), open_under_alias);
    return it == slots_.end() ? nullptr : &*it;
}

SdlSoundDevice::Slot& SdlSoundDevice::claim_slot(std::string_view alias)
{
    const auto free = std::find_if(slots_.begin(), slots_.end(), [](const Slot& slot) { return !slot.chunk; });
    if (free != slots_.end()) {
        free->alias = alias;
        return *free;
    }
    slots_.push_back(Slot{std::string(alias), nullptr});
    Mix_AllocateChannels(static_cast<int>(slots_.size()));
    return slots_.back();
}

int SdlSoundDevice::channel_of(const Slot& slot) const
{
    return static_cast<int>(&slot - slots_.data());
}

} // namespace media
