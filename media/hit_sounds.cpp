#include "media/hit_sounds.h"

namespace media {

void open_hit_sounds(SoundDevice& device)
{
    device.open("sh-hit1.wav", "p1");
    device.open("sh-hit2.wav", "p2");
}

void play_cue(SoundDevice& device, game::Cue cue)
{
    device.play_from_start(game::cue_name(cue));
}

void close_hit_sounds(SoundDevice& device)
{
    device.close("p1");
    device.close("p2");
}

} // namespace media
