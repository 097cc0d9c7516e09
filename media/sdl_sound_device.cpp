#include "media/sdl_sound_device.h"

#include "media/bounded_read.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <alsa/asoundlib.h>

#include <algorithm>

namespace media {

namespace {

// 441 frames at 44.1 kHz is 10 ms. With both cores busy it dropped out on
// PulseAudio no more often than 512 did (less, in two comparisons), while 256
// dropped out every second or so.
constexpr int frequency = 44100;
constexpr int output_channels = 2;
constexpr int bytes_per_sample = 2;
constexpr int buffer_frames = 441;

// Long enough that a player pausing between hits keeps the output, short
// enough that a game left at its title soon costs the sound server nothing.
constexpr auto quiet_before_letting_go = std::chrono::seconds(2);

// Our hit sounds are 10 KB; a file this long is no hit sound.
constexpr std::size_t max_sound_bytes = 16 * 1024 * 1024;

// The mixer would read a named pipe or a device without end, so it is handed
// only a regular file of sane size, already in memory. A refused file comes
// back empty, and SDL refuses an empty one in turn.
Mix_Chunk* load_sound(std::string_view file)
{
    const FileContents contents = read_bounded(std::string(file), max_sound_bytes);
    return Mix_LoadWAV_RW(SDL_RWFromConstMem(contents.bytes.data(), static_cast<int>(contents.bytes.size())), 1);
}

// Without a sound card ALSA reports every failed probe on stderr; a player
// without speakers is not an error worth a terminal full of text.
void ignore_alsa_error(const char*, int, const char*, int, const char*, ...) {}

std::chrono::microseconds length_of(const Mix_Chunk& chunk)
{
    constexpr long long bytes_per_second = frequency * output_channels * bytes_per_sample;
    return std::chrono::microseconds(chunk.alen * 1'000'000LL / bytes_per_second);
}

} // namespace

void SdlSoundDevice::FreeChunk::operator()(Mix_Chunk* chunk) const
{
    Mix_FreeChunk(chunk);
}

SdlSoundDevice::~SdlSoundDevice()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void SdlSoundDevice::open(std::string_view file, std::string_view alias)
{
    const std::lock_guard lock(mutex_);
    forget(alias);
    waiting_.push_back({std::string(file), std::string(alias)});
    changed_.notify_all();
}

void SdlSoundDevice::play_from_start(std::string_view alias)
{
    const std::lock_guard lock(mutex_);
    // Until the output is open the play is silent: waiting for a sound card
    // would hold up the window.
    const Slot* slot = find(alias);
    if (output_ != Output::open || !slot)
        return;
    Mix_PlayChannel(channel_of(*slot), slot->chunk.get(), 0);
    quiet_from_ = Clock::now() + length_of(*slot->chunk);
}

void SdlSoundDevice::close(std::string_view alias)
{
    const std::lock_guard lock(mutex_);
    forget(alias);
}

void SdlSoundDevice::keep_ready(bool ready)
{
    const std::lock_guard lock(mutex_);
    // Every key-down after a full score says so again; only a change wakes the thread.
    if (kept_ready_ == ready)
        return;
    kept_ready_ = ready;
    changed_.notify_all();
}

bool SdlSoundDevice::wait_for_output(bool open, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    const auto settled = [&] {
        if (output_ == Output::missing)
            return true;
        return open ? output_ == Output::open && waiting_.empty() : output_ == Output::let_go;
    };
    return changed_.wait_for(lock, timeout, settled) && (output_ == Output::open) == open;
}

void SdlSoundDevice::run()
{
    snd_lib_error_set_handler(ignore_alsa_error);
    // SDL would otherwise take SIGINT and SIGTERM for itself, and Qt's
    // window would no longer quit on them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");

    std::unique_lock lock(mutex_);
    // Opened at once, so that the sounds are loaded before the first round.
    open_output(lock);
    while (!stopping_) {
        const Clock::time_point let_go_at = quiet_from_ + quiet_before_letting_go;
        const bool may_let_go = output_ == Output::open && !kept_ready_;
        if (output_ == Output::let_go && kept_ready_)
            open_output(lock);
        else if (output_ == Output::open && !waiting_.empty())
            load_waiting_sounds();
        else if (may_let_go && Clock::now() >= let_go_at)
            close_output(lock);
        else if (may_let_go)
            changed_.wait_until(lock, let_go_at);
        else
            changed_.wait(lock);
    }

    if (output_ == Output::open)
        close_output(lock);
    // SDL frees what it keeps for a thread only for threads it started itself.
    SDL_TLSCleanup();
}

// A device that cannot be had stays silent for good; nothing is retried, as
// with a sound file that cannot be opened.
void SdlSoundDevice::open_output(std::unique_lock<std::mutex>& lock)
{
    output_ = Output::changing;
    lock.unlock();
    const bool opened = start_sdl_audio();
    lock.lock();
    closed_meanwhile_.clear();
    output_ = opened ? Output::open : Output::missing;
    if (opened)
        load_waiting_sounds();
    changed_.notify_all();
}

// Closing the output, not pausing it: SDL feeds a paused output silence, which
// keeps the sound server's sink running.
void SdlSoundDevice::close_output(std::unique_lock<std::mutex>& lock)
{
    output_ = Output::changing;
    lock.unlock();
    Mix_CloseAudio();
    quit_sdl_audio();
    lock.lock();
    closed_meanwhile_.clear();
    output_ = Output::let_go;
    changed_.notify_all();
}

bool SdlSoundDevice::start_sdl_audio()
{
    sdl_before_ = SDL_WasInit(SDL_INIT_EVERYTHING);
    // Allowing no changes makes SDL convert for the hardware, so the sounds are
    // converted to one known format once, when they are loaded, and still fit
    // an output opened again.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0
        && Mix_OpenAudioDevice(frequency, AUDIO_S16SYS, output_channels, buffer_frames, nullptr, 0) == 0)
        return true;
    quit_sdl_audio();
    return false;
}

// SDL 2.32 brings the events subsystem up along with audio and leaves it up
// when audio fails to start; SDL 2.26 takes it down again. Quitting whatever
// was not up before covers both.
void SdlSoundDevice::quit_sdl_audio()
{
    SDL_QuitSubSystem(SDL_WasInit(SDL_INIT_EVERYTHING) & ~sdl_before_);
}

// Runs with the output open and the lock held.
void SdlSoundDevice::load_waiting_sounds()
{
    for (const Waiting& sound : waiting_) {
        if (Mix_Chunk* const chunk = load_sound(sound.file)) {
            Slot& slot = claim_slot();
            slot.alias = sound.alias;
            slot.chunk.reset(chunk);
        }
    }
    waiting_.clear();
    // A channel comes with each name opened, none before.
    Mix_AllocateChannels(static_cast<int>(slots_.size()));
    changed_.notify_all();
}

void SdlSoundDevice::forget(std::string_view alias)
{
    std::erase_if(waiting_, [alias](const Waiting& sound) { return sound.alias == alias; });
    Slot* const slot = find(alias);
    if (!slot)
        return;
    // Freeing a chunk also stops it; while the mixer changes it must wait.
    if (output_ == Output::changing)
        closed_meanwhile_.push_back(std::move(slot->chunk));
    slot->chunk.reset();
}

SdlSoundDevice::Slot* SdlSoundDevice::find(std::string_view alias)
{
    const auto open_under_alias = [alias](const Slot& slot) { return slot.chunk && slot.alias == alias; };
    const auto it = std::find_if(slots_.begin(), slots_.end(), open_under_alias);
    return it == slots_.end() ? nullptr : &*it;
}

SdlSoundDevice::Slot& SdlSoundDevice::claim_slot()
{
    const auto free = std::find_if(slots_.begin(), slots_.end(), [](const Slot& slot) { return !slot.chunk; });
    return free != slots_.end() ? *free : slots_.emplace_back();
}

int SdlSoundDevice::channel_of(const Slot& slot) const
{
    return static_cast<int>(&slot - slots_.data());
}

} // namespace media
