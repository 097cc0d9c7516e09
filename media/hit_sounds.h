#pragma once

#include "game/cue.h"
#include "media/sound_device.h"

#include <array>
#include <string_view>

namespace media {

// The two hit sounds, in the order the window opens and closes them.
struct HitSound {
    game::Cue cue;
    std::string_view alias;
    std::string_view file;
};
inline constexpr std::array<HitSound, 2> hit_sounds{{{game::Cue::p1, "p1", "sh-hit1.wav"},
                                                     {game::Cue::p2, "p2", "sh-hit2.wav"}}};

inline void open_hit_sounds(SoundDevice& device)
{
    for (const HitSound& sound : hit_sounds)
        device.open(sound.file, sound.alias);
}

inline void play_cue(SoundDevice& device, game::Cue cue)
{
    for (const HitSound& sound : hit_sounds)
        if (sound.cue == cue)
            device.play_from_start(sound.alias);
}

inline void close_hit_sounds(SoundDevice& device)
{
    for (const HitSound& sound : hit_sounds)
        device.close(sound.alias);
}

} // namespace media
