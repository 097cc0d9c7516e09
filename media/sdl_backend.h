#pragma once

#include "media/sound_backend.h"

#include <memory>

namespace media {

// How the output is opened: the game's own, unless a bench compares others.
struct OutputFormat {
    // PipeWire's graph and most sound cards run at 48 kHz: no resampler
    // between the mixer and the sink.
    int rate = 48000;
    // A hit waits for the next buffer to be mixed, and PipeWire runs its graph
    // at the buffer's length, so the buffer sets most of the latency.
    int frames = 128;
    // The thread that mixes asks to run before other programs' threads: a
    // busy machine kept it from mixing in time.
    bool raised = true;
};

// SDL2_mixer's output. SDL's mixer is process-wide: one at a time.
std::unique_ptr<SoundBackend> make_sdl_backend(OutputFormat format = {});

} // namespace media
