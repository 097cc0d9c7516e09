#include "media/sound_output.h"

#include "media/bounded_read.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
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
    bool to_load() const
    {
        return rules.output() == Output::open
            && std::any_of(sounds.begin(), sounds.end(), [](const Sound& s) { return s.open && !s.in_slot; });
    }
    bool playable() const { return backend && !changing && rules.output() == Output::open; }
    std::optional<std::size_t> playable(std::string_view alias) const
    {
        for (std::size_t slot = 0; playable() && slot < sounds.size(); ++slot)
            if (sounds[slot].open && sounds[slot].in_slot && sounds[slot].alias == alias)
                return slot;
        return std::nullopt;
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
    if (backend && rules.output() == Output::open)
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
    // A name opened again while the slots fill is loaded once more.
    while (to_load()) {
        std::vector<std::pair<std::size_t, std::vector<char>>> loading;
        for (std::size_t slot = 0; slot < sounds.size(); ++slot) {
            if (sounds[slot].open && !sounds[slot].in_slot) {
                loading.emplace_back(slot, sounds[slot].bytes);
                sounds[slot].in_slot = true;
            }
        }
        lock.unlock();
        std::vector<std::chrono::microseconds> lengths;
        for (const auto& [slot, bytes] : loading)
            lengths.push_back(backend->load(slot, bytes));
        lock.lock();
        for (std::size_t i = 0; i < loading.size(); ++i)
            sounds[loading[i].first].length = lengths[i];
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
    if (state_->rules.ready() == ready)
        return;
    state_->rules.keep_ready(ready, Clock::now());
    state_->changed.notify_all();
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
        return open ? s.rules.output() == Output::open && !s.to_load() : s.rules.output() == Output::closed;
    };
    return s.changed.wait_for(lock, timeout, settled) && s.playable() == open;
}

} // namespace media
