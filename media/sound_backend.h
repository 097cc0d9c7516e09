#pragma once

#include "media/output_rules.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <span>

namespace media {

// The sound library underneath, as thin as it goes: an output, and sounds in
// numbered slots, each its own channel so that one never cuts another. The
// sound thread makes every call but `play` and `stop`, which may come from
// any thread while the output is open.
class SoundBackend {
public:
    virtual ~SoundBackend() = default;

    virtual bool open_output() = 0;
    virtual void close_output() = 0;
    virtual OutputRules::Signs signs() = 0;
    // With the output open; a slot keeps what it was last given while the
    // output is closed. Bytes that are no sound leave it silent. How long it sounds.
    virtual std::chrono::microseconds load(std::size_t slot, std::span<const char> bytes) = 0;
    // From the beginning, cutting the slot's sound off if it still sounds.
    virtual void play(std::size_t slot) = 0;
    virtual void stop(std::size_t slot) = 0;
};

// How SDL's output is opened: the game's own, unless a bench compares others.
struct OutputFormat {
    // PipeWire's graph and most sound cards run at 48 kHz: no resampling on the way.
    int rate = 48000;
    // A hit waits for the next buffer to be mixed, and PipeWire runs its graph
    // at the buffer's length, so the buffer sets most of the latency.
    int frames = 128;
    // The mixing thread asks to run before other programs' threads: on a busy
    // machine it mixed up to 50 ms late without it.
    bool raised = true;
};

// SDL2_mixer's output, process-wide: one at a time. In the sound module, and
// linked into the tests and benches.
std::unique_ptr<SoundBackend> make_sdl_backend(OutputFormat format = {});

} // namespace media
