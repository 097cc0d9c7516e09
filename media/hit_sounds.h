#pragma once

#include "game/cue.h"
#include "media/sound_device.h"

namespace media {

// The two hit sounds, in the order the window opens, plays and closes them.
void open_hit_sounds(SoundDevice& device);
void play_cue(SoundDevice& device, game::Cue cue);
void close_hit_sounds(SoundDevice& device);

} // namespace media
