#include "media/sdl_sound_device.h"

#include "media/bounded_read.h"
#include "media/mixing_pace.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <alsa/asoundlib.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

namespace media {

namespace {

using Clock = std::chrono::steady_clock;

// The rate PipeWire's graph and most sound cards run at: no resampler
// between the mixer and the sink.
constexpr int frequency = 48000;
constexpr int output_channels = 2;
constexpr int bytes_per_sample = 2;
constexpr int bytes_per_frame = output_channels * bytes_per_sample;
// A hit waits for the next buffer to be mixed, and PipeWire runs its graph at
// the buffer's length, so the buffer sets most of the latency. The smallest
// keeps up on an idle machine; a busy one may make the server run dry, and
// each dropout noticed moves the output one size up, for as long as the
// program runs. On a machine whose cores were both kept busy, 512 still
// dropped out about as often as the 10 ms buffer the game had before.
constexpr std::array<int, 4> buffer_sizes{128, 256, 512, 1024};

// Long enough that a player pausing between hits keeps the output, short
// enough that a game left at its title soon costs the sound server nothing.
constexpr auto quiet_before_letting_go = std::chrono::seconds(2);

// How often an open output is checked for a server gone away, and how often
// an output that cannot be had is tried while a round wants it.
constexpr auto check_every = std::chrono::seconds(1);
// SDL's PipeWire driver never says that its server went away, but it stops
// mixing, which it does every 10 ms otherwise. Other drivers say so; and
// PulseAudio's first stream on a server just started was seen to pause for a
// second, which is no lost server.
constexpr auto longest_pause_in_mixing = std::chrono::milliseconds(500);

// A sound server just started was seen to hold the first stream into it back
// for about a second; one that runs the output already does not.
constexpr auto settling_after_opening = std::chrono::seconds(1);
constexpr auto settling_after_growing = std::chrono::milliseconds(100);

// A healthy output closes in a few milliseconds; a hung server would hold
// the program's end for as long as it hangs.
constexpr auto wait_for_thread_at_end = std::chrono::milliseconds(400);

// Our hit sounds are 10 KB; a file this long is no hit sound.
constexpr std::size_t max_sound_bytes = 16 * 1024 * 1024;

// SDL numbers its open outputs from 2 to 16 and does not say which is the
// mixer's; no other output is opened in this process.
constexpr SDL_AudioDeviceID first_output_id = 2;
constexpr SDL_AudioDeviceID last_output_id = 16;

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
    constexpr long long bytes_per_second = frequency * bytes_per_frame;
    return std::chrono::microseconds(chunk.alen * 1'000'000LL / bytes_per_second);
}

// SDL marks an output whose server went away as stopped; the mixer keeps it playing otherwise.
bool sdl_output_playing()
{
    for (SDL_AudioDeviceID id = first_output_id; id <= last_output_id; ++id)
        if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING)
            return true;
    return false;
}

// Through rtkit, as desktops allow it, or else directly where the user's
// limits do.
void raise_thread(pid_t thread)
{
    SDL_LinuxSetThreadPriorityAndPolicy(thread, SDL_THREAD_PRIORITY_TIME_CRITICAL, SCHED_RR);
    if ((sched_getscheduler(thread) & ~SCHED_RESET_ON_FORK) != SCHED_OTHER)
        return;
    sched_param priority{};
    priority.sched_priority = sched_get_priority_min(SCHED_RR);
    sched_setscheduler(thread, SCHED_RR, &priority);
}

// SDL 2.28 and later hear PulseAudio's requests for sound on the client
// library's own thread, which then wakes SDL's: left at a normal priority, it
// kept the server waiting whenever both cores were busy.
void raise_pulseaudio_thread()
{
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && name == "PulseMainloop")
            raise_thread(std::atoi(task.path().filename().c_str()));
    }
}

bool pipewire_has_default_sink()
{
    char* name = nullptr;
    SDL_AudioSpec format{};
    if (SDL_GetDefaultAudioInfo(&name, &format, 0) != 0)
        return false;
    SDL_free(name);
    return true;
}

} // namespace

class SdlSoundDevice::Worker {
public:
    void open(std::string_view file, std::string_view alias);
    void play_from_start(std::string_view alias);
    void close(std::string_view alias);
    void keep_ready(bool ready);
    bool wait_for_output(bool open, std::chrono::milliseconds timeout);
    int openings();

    void run();
    // Whether the thread ended within the time given.
    bool stop(Clock::duration patience);

private:
    struct FreeChunk {
        void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
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

    static void SDLCALL note_mixing(int, void*, int, void* worker);

    void open_output(std::unique_lock<std::mutex>& lock);
    void grow_output(std::unique_lock<std::mutex>& lock);
    void opened_output(bool opened);
    void close_output(std::unique_lock<std::mutex>& lock, Output after);
    bool output_lost() const;
    bool start_sdl_audio();
    bool start_sdl_driver();
    bool open_mixer(Clock::duration settling);
    void quit_sdl_audio();
    void load_waiting_sounds();
    void forget(std::string_view alias);
    Slot* find(std::string_view alias);
    void start(const Slot& slot);
    Slot& claim_slot();
    int channel_of(const Slot& slot) const;

    // SDL's subsystems that were up before the output was opened, and the
    // buffer size it is opened with; used by the device's thread alone.
    std::uint32_t sdl_before_ = 0;
    std::size_t size_ = 0;
    // Used from SDL's mixing thread alone, once the output is open.
    MixingPace pace_;
    // Set from SDL's mixing thread: whether it still has to raise its
    // priority, and whether the server ran dry.
    std::atomic<bool> raise_mixing_thread_{false};
    std::atomic<bool> dropped_out_{false};
    // When SDL last mixed, set from SDL's own thread, and whether a pause in
    // mixing tells that the output is lost.
    std::atomic<Clock::rep> mixed_at_{0};
    bool mixing_tells_ = false;
    // PulseAudio's stream holds what the server was asked for, whatever the
    // buffer: a larger one only adds to the wait, and with the same target
    // 441 frames dropped out more often than 128.
    bool grows_ = true;

    // Guards everything below.
    std::mutex mutex_;
    std::condition_variable changed_;
    Output output_ = Output::changing;
    bool kept_ready_ = false;
    bool stopping_ = false;
    bool stopped_ = false;
    int openings_ = 0;
    bool growing_ = false;
    std::vector<std::string> played_while_growing_;
    Clock::time_point quiet_from_ = Clock::now();
    Clock::time_point check_at_ = Clock::now();
    Clock::time_point try_again_at_ = Clock::now();
    std::vector<Slot> slots_;
    std::vector<Waiting> waiting_;
    // Closed while the mixer was changing, to be freed once it has settled.
    std::vector<Chunk> closed_meanwhile_;
};

SdlSoundDevice::SdlSoundDevice()
    : worker_(std::make_shared<Worker>())
    , thread_([worker = worker_] { worker->run(); })
{
}

SdlSoundDevice::~SdlSoundDevice()
{
    if (worker_->stop(wait_for_thread_at_end))
        thread_.join();
    else
        thread_.detach();
}

void SdlSoundDevice::open(std::string_view file, std::string_view alias)
{
    worker_->open(file, alias);
}

void SdlSoundDevice::play_from_start(std::string_view alias)
{
    worker_->play_from_start(alias);
}

void SdlSoundDevice::close(std::string_view alias)
{
    worker_->close(alias);
}

void SdlSoundDevice::keep_ready(bool ready)
{
    worker_->keep_ready(ready);
}

bool SdlSoundDevice::wait_for_output(bool open, std::chrono::milliseconds timeout)
{
    return worker_->wait_for_output(open, timeout);
}

int SdlSoundDevice::openings()
{
    return worker_->openings();
}

void SdlSoundDevice::Worker::open(std::string_view file, std::string_view alias)
{
    const std::lock_guard lock(mutex_);
    forget(alias);
    waiting_.push_back({std::string(file), std::string(alias)});
    changed_.notify_all();
}

void SdlSoundDevice::Worker::play_from_start(std::string_view alias)
{
    const std::lock_guard lock(mutex_);
    // Until the output is open the play is silent: waiting for a sound card
    // would hold up the window.
    // While it grows, a few milliseconds, a hit is heard late rather than lost.
    const Slot* slot = find(alias);
    if (output_ == Output::changing && growing_ && slot) {
        std::erase(played_while_growing_, alias);
        played_while_growing_.emplace_back(alias);
    }
    if (output_ != Output::open || !slot)
        return;
    start(*slot);
}

// Runs with the output open and the lock held.
void SdlSoundDevice::Worker::start(const Slot& slot)
{
    Mix_PlayChannel(channel_of(slot), slot.chunk.get(), 0);
    quiet_from_ = Clock::now() + length_of(*slot.chunk);
}

void SdlSoundDevice::Worker::close(std::string_view alias)
{
    const std::lock_guard lock(mutex_);
    forget(alias);
}

void SdlSoundDevice::Worker::keep_ready(bool ready)
{
    const std::lock_guard lock(mutex_);
    // Every key-down after a full score says so again; only a change wakes the thread.
    if (kept_ready_ == ready)
        return;
    kept_ready_ = ready;
    // A round starting finds out at once whether its output still works.
    check_at_ = Clock::now();
    changed_.notify_all();
}

bool SdlSoundDevice::Worker::wait_for_output(bool open, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    const auto settled = [&] {
        if (output_ == Output::missing)
            return true;
        return open ? output_ == Output::open && waiting_.empty() : output_ == Output::let_go;
    };
    return changed_.wait_for(lock, timeout, settled) && (output_ == Output::open) == open;
}

int SdlSoundDevice::Worker::openings()
{
    const std::lock_guard lock(mutex_);
    return openings_;
}

bool SdlSoundDevice::Worker::stop(Clock::duration patience)
{
    std::unique_lock lock(mutex_);
    stopping_ = true;
    changed_.notify_all();
    return changed_.wait_for(lock, patience, [this] { return stopped_; });
}

void SdlSoundDevice::Worker::run()
{
    snd_lib_error_set_handler(ignore_alsa_error);
    // SDL would otherwise take SIGINT and SIGTERM for itself, and Qt's
    // window would no longer quit on them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Real-time scheduling for the mixing thread, rather than SDL's default of
    // a lower nice value, which a busy machine's other programs still share.
    SDL_SetHint(SDL_HINT_THREAD_FORCE_REALTIME_TIME_CRITICAL, "1");

    std::unique_lock lock(mutex_);
    // Opened at once, so that the sounds are loaded before the first round.
    open_output(lock);
    while (!stopping_) {
        const Clock::time_point now = Clock::now();
        const Clock::time_point let_go_at = quiet_from_ + quiet_before_letting_go;
        const bool closed = output_ == Output::let_go || output_ == Output::missing;
        const bool may_let_go = output_ == Output::open && !kept_ready_;
        if (closed && kept_ready_ && now >= try_again_at_)
            open_output(lock);
        else if (closed && kept_ready_)
            changed_.wait_until(lock, try_again_at_);
        else if (output_ == Output::open && !waiting_.empty())
            load_waiting_sounds();
        else if (output_ == Output::open && now >= check_at_ && output_lost())
            close_output(lock, Output::let_go);
        else if (output_ == Output::open && dropped_out_.exchange(false) && grows_ && size_ + 1 < buffer_sizes.size())
            grow_output(lock);
        else if (output_ == Output::open && now >= check_at_)
            check_at_ = now + check_every;
        else if (may_let_go && now >= let_go_at)
            close_output(lock, Output::let_go);
        else if (output_ == Output::open)
            changed_.wait_until(lock, may_let_go ? std::min(check_at_, let_go_at) : check_at_);
        else
            changed_.wait(lock);
    }

    if (output_ == Output::open)
        close_output(lock, Output::let_go);
    slots_.clear();
    // SDL frees what it keeps for a thread only for threads it started itself.
    SDL_TLSCleanup();
    stopped_ = true;
    changed_.notify_all();
}

void SDLCALL SdlSoundDevice::Worker::note_mixing(int, void*, int bytes, void* data)
{
    auto& worker = *static_cast<Worker*>(data);
    const Clock::time_point now = Clock::now();
    worker.mixed_at_.store(now.time_since_epoch().count());
    // The mixing thread is SDL's own on some drivers and the server library's
    // on others; raised from here, it is raised on all. Where the desktop's
    // rtkit or the user's limits allow, it runs before any busy program.
    if (worker.raise_mixing_thread_.exchange(false))
        raise_thread(gettid());
    // Every buffer mixed small is another chance to drop out: the device's
    // thread is woken at once.
    if (worker.pace_.mixed(bytes / bytes_per_frame, now)) {
        worker.dropped_out_.store(true);
        worker.changed_.notify_all();
    }
}

void SdlSoundDevice::Worker::open_output(std::unique_lock<std::mutex>& lock)
{
    output_ = Output::changing;
    lock.unlock();
    const bool opened = start_sdl_audio();
    lock.lock();
    opened_output(opened);
}

// Opened again a size up, which is better than a round of dropouts. SDL's
// driver stays up, so the sound is gone for the mixer's reopening alone:
// starting PipeWire's driver again was seen to cost another 20 ms.
void SdlSoundDevice::Worker::grow_output(std::unique_lock<std::mutex>& lock)
{
    ++size_;
    growing_ = true;
    output_ = Output::changing;
    lock.unlock();
    Mix_CloseAudio();
    const bool opened = open_mixer(settling_after_growing);
    if (!opened)
        quit_sdl_audio();
    lock.lock();
    opened_output(opened);
    growing_ = false;
    for (const std::string& alias : played_while_growing_)
        if (const Slot* slot = find(alias); slot && output_ == Output::open)
            start(*slot);
    played_while_growing_.clear();
}

// Runs with the lock held, once the mixer has settled.
void SdlSoundDevice::Worker::opened_output(bool opened)
{
    closed_meanwhile_.clear();
    output_ = opened ? Output::open : Output::missing;
    openings_ += opened && !growing_;
    check_at_ = Clock::now() + check_every;
    try_again_at_ = Clock::now() + check_every;
    if (opened)
        load_waiting_sounds();
    changed_.notify_all();
}

// Closing the output, not pausing it: SDL feeds a paused output silence, which
// keeps the sound server's sink running.
void SdlSoundDevice::Worker::close_output(std::unique_lock<std::mutex>& lock, Output after)
{
    output_ = Output::changing;
    lock.unlock();
    Mix_CloseAudio();
    quit_sdl_audio();
    lock.lock();
    closed_meanwhile_.clear();
    output_ = after;
    changed_.notify_all();
}

bool SdlSoundDevice::Worker::output_lost() const
{
    const Clock::time_point mixed_at{Clock::duration(mixed_at_.load())};
    return !sdl_output_playing() || (mixing_tells_ && Clock::now() - mixed_at > longest_pause_in_mixing);
}

bool SdlSoundDevice::Worker::start_sdl_audio()
{
    sdl_before_ = SDL_WasInit(SDL_INIT_EVERYTHING);
    if (start_sdl_driver() && open_mixer(settling_after_opening))
        return true;
    quit_sdl_audio();
    return false;
}

bool SdlSoundDevice::Worker::open_mixer(Clock::duration settling)
{
    mixed_at_.store(Clock::now().time_since_epoch().count());
    pace_.restart(frequency, settling);
    raise_mixing_thread_.store(true);
    dropped_out_.store(false);
    // Allowing no changes makes SDL convert for the hardware, so the sounds are
    // converted to one known format once, when they are loaded, and still fit
    // an output opened again.
    if (Mix_OpenAudioDevice(frequency, AUDIO_S16SYS, output_channels, buffer_sizes[size_], nullptr, 0) != 0)
        return false;
    Mix_RegisterEffect(MIX_CHANNEL_POST, note_mixing, nullptr, this);
    const std::string_view driver = SDL_GetCurrentAudioDriver();
    mixing_tells_ = driver == "pipewire";
    grows_ = driver != "pulseaudio";
    if (driver == "pulseaudio")
        raise_pulseaudio_thread();
    return true;
}

// SDL 2 tries PulseAudio before PipeWire, so on PipeWire's desktops it goes
// through pipewire-pulse, which adds a few milliseconds to every hit. But a
// PipeWire running beside PulseAudio for screen sharing has no sink of its
// own and would take the sound nowhere: it is taken only with a default sink.
// A driver the player chose is left alone.
bool SdlSoundDevice::Worker::start_sdl_driver()
{
    if (!std::getenv("SDL_AUDIODRIVER")) {
        SDL_SetHint(SDL_HINT_AUDIODRIVER, "pipewire");
        const bool pipewire = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
        if (pipewire && pipewire_has_default_sink())
            return true;
        quit_sdl_audio();
    }
    return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

// SDL 2.32 brings the events subsystem up along with audio and leaves it up
// when audio fails to start; SDL 2.26 takes it down again. Quitting whatever
// was not up before covers both.
void SdlSoundDevice::Worker::quit_sdl_audio()
{
    SDL_QuitSubSystem(SDL_WasInit(SDL_INIT_EVERYTHING) & ~sdl_before_);
}

// Runs with the output open and the lock held.
void SdlSoundDevice::Worker::load_waiting_sounds()
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

void SdlSoundDevice::Worker::forget(std::string_view alias)
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

SdlSoundDevice::Worker::Slot* SdlSoundDevice::Worker::find(std::string_view alias)
{
    const auto open_under_alias = [alias](const Slot& slot) { return slot.chunk && slot.alias == alias; };
    const auto it = std::find_if(slots_.begin(), slots_.end(), open_under_alias);
    return it == slots_.end() ? nullptr : &*it;
}

SdlSoundDevice::Worker::Slot& SdlSoundDevice::Worker::claim_slot()
{
    const auto free = std::find_if(slots_.begin(), slots_.end(), [](const Slot& slot) { return !slot.chunk; });
    return free != slots_.end() ? *free : slots_.emplace_back();
}

int SdlSoundDevice::Worker::channel_of(const Slot& slot) const
{
    return static_cast<int>(&slot - slots_.data());
}

} // namespace media
