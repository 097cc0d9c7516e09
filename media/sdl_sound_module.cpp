#include "media/sound_backend.h"

// What the program looks up once it has loaded this module.
extern "C" __attribute__((visibility("default"))) media::SoundBackend* zumbrel_make_sound_backend()
{
    return media::make_sdl_backend().release();
}
