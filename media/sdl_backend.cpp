#include "media/sound_backend.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <alsa/asoundlib.h>
#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace media {

namespace {

using Clock = OutputRules::Clock;
constexpr int channels = 2;

// Without a sound card ALSA reports every failed probe on stderr: no error
// worth a terminal full of text to a player without speakers.
void ignore_alsa_error(const char*, int, const char*, int, const char*, ...) {}

struct FreeChunk {
    void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
};

class SdlBackend final : public SoundBackend {
public:
    explicit SdlBackend(OutputFormat format) : format_(format)
    {
        snd_lib_error_set_handler(ignore_alsa_error);
        // SDL would take SIGINT and SIGTERM for itself, and the window would no longer quit on them.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    }

    // SDL frees what it keeps for a thread only for threads it started itself.
    ~SdlBackend() override
    {
        chunks_.clear();
        SDL_TLSCleanup();
    }

    bool open_output() override
    {
        sdl_before_ = SDL_WasInit(SDL_INIT_EVERYTHING);
        removed_ = false;
        mixed_at_ = Clock::now().time_since_epoch().count();
        raise_ = format_.raised;
        // No changes allowed: SDL converts for the server, so the sounds are
        // converted once, as they load, and fit an output opened again.
        if (!start_driver()
            || Mix_OpenAudioDevice(format_.rate, AUDIO_S16SYS, channels, format_.frames, nullptr, 0) != 0) {
            quit_sdl_audio();
            return false;
        }
        Mix_RegisterEffect(MIX_CHANNEL_POST, note_mixing, nullptr, this);
        Mix_AllocateChannels(static_cast<int>(chunks_.size()));
        // SDL's PipeWire driver never says that its server went away, but it stops mixing.
        mixing_tells_ = SDL_GetCurrentAudioDriver() == std::string_view("pipewire");
        return true;
    }

    // Closed, not paused: SDL feeds a paused output silence, which keeps the sink running.
    void close_output() override
    {
        Mix_CloseAudio();
        quit_sdl_audio();
    }

    OutputRules::Signs signs() override
    {
        SDL_Event event;
        while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_AUDIODEVICEADDED, SDL_AUDIODEVICEREMOVED) > 0)
            removed_ = removed_ || (event.type == SDL_AUDIODEVICEREMOVED && !event.adevice.iscapture);
        if (!mixing_tells_)
            return {removed_};
        return {removed_, Clock::time_point(Clock::duration(mixed_at_))};
    }

    std::chrono::microseconds load(std::size_t slot, std::span<const char> bytes) override
    {
        if (slot >= chunks_.size()) {
            chunks_.resize(slot + 1);
            Mix_AllocateChannels(static_cast<int>(chunks_.size()));
        }
        chunks_[slot].reset(Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1));
        const long long bytes_per_second = 2LL * channels * format_.rate;
        return std::chrono::microseconds(chunks_[slot] ? chunks_[slot]->alen * 1'000'000LL / bytes_per_second : 0);
    }

    void play(std::size_t slot) override
    {
        if (Mix_Chunk* const chunk = chunks_[slot].get())
            Mix_PlayChannel(static_cast<int>(slot), chunk, 0);
    }

    void stop(std::size_t slot) override { Mix_HaltChannel(static_cast<int>(slot)); }

private:
    static void SDLCALL note_mixing(int, void*, int, void* data)
    {
        auto& backend = *static_cast<SdlBackend*>(data);
        backend.mixed_at_ = Clock::now().time_since_epoch().count();
        // SDL's own thread with some drivers, the server library's with others:
        // raised from here, it is raised with all; by the system, or by rtkit
        // where the system refuses a desktop's user.
        if (backend.raise_.exchange(false))
            SDL_LinuxSetThreadPriorityAndPolicy(gettid(), SDL_THREAD_PRIORITY_TIME_CRITICAL, SCHED_OTHER);
    }

    // SDL 2 tries PulseAudio before PipeWire, so on PipeWire's desktops it
    // goes through pipewire-pulse, a few milliseconds slower. But a PipeWire
    // running beside PulseAudio for screen sharing has no sink of its own: it
    // is taken only with a default sink. Once taken it is waited for: starting
    // again, its PulseAudio server, and ALSA's default, answer before its sink
    // is there. A driver the player chose is left alone. Events bring word of
    // an output gone.
    bool start_driver()
    {
        constexpr std::uint32_t audio = SDL_INIT_AUDIO | SDL_INIT_EVENTS;
        if (std::getenv("SDL_AUDIODRIVER"))
            return SDL_InitSubSystem(audio) == 0;
        SDL_SetHint(SDL_HINT_AUDIODRIVER, "pipewire");
        char* sink = nullptr;
        SDL_AudioSpec sink_format{};
        const bool with_sink = SDL_InitSubSystem(audio) == 0 && SDL_GetDefaultAudioInfo(&sink, &sink_format, 0) == 0;
        SDL_free(sink);
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
        if (with_sink)
            return on_pipewire_ = true;
        quit_sdl_audio();
        return !on_pipewire_ && SDL_InitSubSystem(audio) == 0;
    }

    // Whatever was not up before: SDL 2.32 leaves events up when audio fails
    // to start, SDL 2.26 does not.
    void quit_sdl_audio() { SDL_QuitSubSystem(SDL_WasInit(SDL_INIT_EVERYTHING) & ~sdl_before_); }

    const OutputFormat format_;
    std::uint32_t sdl_before_ = 0;
    bool removed_ = false;
    bool mixing_tells_ = false;
    bool on_pipewire_ = false;
    std::vector<std::unique_ptr<Mix_Chunk, FreeChunk>> chunks_;
    // Set from the thread that mixes.
    std::atomic<Clock::rep> mixed_at_{0};
    std::atomic<bool> raise_{false};
};

} // namespace

std::unique_ptr<SoundBackend> make_sdl_backend(OutputFormat format)
{
    return std::make_unique<SdlBackend>(format);
}

} // namespace media
