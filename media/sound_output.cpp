#include "media/sound_output.h"

#include "media/bounded_read.h"

#include <dlfcn.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

namespace media {

namespace {

using Clock = OutputRules::Clock;
using Output = OutputRules::Output;
using Step = OutputRules::Step;

// Our hit sounds are 10 KB; a file this long is no hit sound.
constexpr std::size_t max_sound_bytes = 16 * 1024 * 1024;

// A name keeps its backend slot once it has one.
struct Sound {
    std::string alias;
    std::vector<char> bytes;
    bool open = false;
    bool in_slot = false;
    std::chrono::microseconds length{};
};

} // namespace

struct SoundOutput::State {
    void run(const Maker& maker);
    // The sound thread calls the backend with our lock released alone: a
    // caller of ours may hold the mixer's own lock.
    void change(std::unique_lock<std::mutex>& lock, Step step);
    // The slot of the first open name that `wanted` takes.
    template <typename Wanted> std::optional<std::size_t> first(Wanted wanted) const
    {
        for (std::size_t slot = 0; slot < sounds.size(); ++slot)
            if (sounds[slot].open && wanted(sounds[slot]))
                return slot;
        return std::nullopt;
    }
    bool open() const { return backend && rules.output() == Output::open; }
    std::optional<std::size_t> to_load() const
    {
        return open() ? first([](const Sound& s) { return !s.in_slot; }) : std::nullopt;
    }
    std::optional<std::size_t> playable(std::string_view alias) const
    {
        return open() && !changing ? first([&](const Sound& s) { return s.in_slot && s.alias == alias; }) : std::nullopt;
    }

    // Guards everything below.
    std::mutex mutex;
    std::condition_variable changed;
    OutputRules rules{Clock::now()};
    std::unique_ptr<SoundBackend> backend;
    bool made = false;
    // The sound thread works on the backend; nobody else may.
    bool changing = false;
    bool stopping = false;
    bool stopped = false;
    std::vector<Sound> sounds;
};

void SoundOutput::State::run(const Maker& maker)
{
    std::unique_ptr<SoundBackend> made_backend = maker();
    std::unique_lock lock(mutex);
    backend = std::move(made_backend);
    made = true;
    changed.notify_all();
    while (backend && !stopping) {
        const Step step = rules.decide(Clock::now(), backend->signs());
        if (step != Step::wait || to_load())
            change(lock, step);
        else if (const Clock::time_point wake = rules.wake_at(); wake == Clock::time_point::max())
            changed.wait(lock);
        else
            changed.wait_until(lock, wake);
    }
    if (open())
        change(lock, Step::close);
    backend.reset();
    stopped = true;
    changed.notify_all();
}

void SoundOutput::State::change(std::unique_lock<std::mutex>& lock, Step step)
{
    changing = true;
    lock.unlock();
    const bool opened = step == Step::open && backend->open_output();
    if (step == Step::close)
        backend->close_output();
    lock.lock();
    if (step == Step::open)
        rules.opened(opened, Clock::now());
    else if (step == Step::close)
        rules.closed(Clock::now());
    // One at a time: a name opened again meanwhile is loaded again.
    for (auto slot = to_load(); slot; slot = to_load()) {
        sounds[*slot].in_slot = true;
        const std::vector<char> bytes = sounds[*slot].bytes;
        lock.unlock();
        const auto length = backend->load(*slot, bytes);
        lock.lock();
        sounds[*slot].length = length;
    }
    changing = false;
    changed.notify_all();
}

SoundOutput::SoundOutput() : state_(std::make_shared<State>()) {}

SoundOutput::~SoundOutput()
{
    if (!thread_.joinable())
        return;
    std::unique_lock lock(state_->mutex);
    state_->stopping = true;
    state_->changed.notify_all();
    const bool ended =
        state_->changed.wait_for(lock, OutputRules::wait_for_thread_at_end, [this] { return state_->stopped; });
    lock.unlock();
    if (ended)
        thread_.join();
    else
        thread_.detach();
}

void SoundOutput::start(Maker maker)
{
    thread_ = std::thread([state = state_, maker = std::move(maker)] { state->run(maker); });
}

void SoundOutput::open(std::string_view file, std::string_view alias)
{
    FileContents contents = read_bounded(std::string(file), max_sound_bytes);
    const std::lock_guard lock(state_->mutex);
    auto& sounds = state_->sounds;
    const auto named = std::find_if(sounds.begin(), sounds.end(), [&](const Sound& s) { return s.alias == alias; });
    Sound& sound = named != sounds.end() ? *named : sounds.emplace_back();
    sound = {std::string(alias), std::move(contents.bytes), true, false, {}};
    state_->changed.notify_all();
}

void SoundOutput::play_from_start(std::string_view alias)
{
    const std::lock_guard lock(state_->mutex);
    if (const auto slot = state_->playable(alias)) {
        state_->backend->play(*slot);
        state_->rules.played(Clock::now(), state_->sounds[*slot].length);
    }
}

// What the sound took is freed when its name opens again, or at the end.
void SoundOutput::close(std::string_view alias)
{
    const std::lock_guard lock(state_->mutex);
    if (const auto slot = state_->playable(alias))
        state_->backend->stop(*slot);
    for (Sound& sound : state_->sounds)
        sound.open = sound.open && sound.alias != alias;
}

void SoundOutput::keep_ready(bool ready)
{
    const std::lock_guard lock(state_->mutex);
    // Every key-down after a full score says so again; only a change wakes the thread.
    if (state_->rules.ready() != ready) {
        state_->rules.keep_ready(ready, Clock::now());
        state_->changed.notify_all();
    }
}

bool SoundOutput::wait_for_output(bool open, std::chrono::milliseconds timeout)
{
    State& s = *state_;
    std::unique_lock lock(s.mutex);
    const auto settled = [&] {
        if (!s.made || s.changing)
            return false;
        if (!s.backend || s.rules.output() == Output::missing)
            return true;
        return open ? s.open() && !s.to_load() : s.rules.output() == Output::closed;
    };
    return s.changed.wait_for(lock, timeout, settled) && s.open() == open;
}

std::optional<std::filesystem::path> sound_module_place(const std::filesystem::path& program)
{
    if (!program.is_absolute())
        return std::nullopt;
    return program.parent_path() / ZUMBREL_SOUND_MODULE;
}

std::unique_ptr<SoundBackend> load_sound_module()
{
    std::error_code error;
    const auto place = sound_module_place(std::filesystem::read_symlink("/proc/self/exe", error));
    if (!place || !std::filesystem::is_regular_file(*place, error)) {
        std::fprintf(stderr, "zumbrel: no sound, as the sound module is missing (looked for it %s)\n",
                     place ? place->c_str() : "nowhere: the program cannot tell where it is");
        return nullptr;
    }
    // Never closed: the backend's code lives in it.
    void* const module = dlopen(place->c_str(), RTLD_NOW | RTLD_LOCAL);
    using Maker = SoundBackend* (*)();
    const auto make = module ? reinterpret_cast<Maker>(dlsym(module, "zumbrel_make_sound_backend")) : nullptr;
    if (!make) {
        std::fprintf(stderr, "zumbrel: no sound, as the sound module does not load: %s\n", dlerror());
        return nullptr;
    }
    return std::unique_ptr<SoundBackend>(make());
}

void set_sound_server_latency()
{
    // With a 128-frame buffer and both cores kept busy, 8 ms dropped out no
    // more than the 10 ms buffer the game mixed in before; 6 ms did.
    setenv(pulseaudio_latency_variable, "8", 0);
}

} // namespace media
