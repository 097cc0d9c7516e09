#include "media/sdl_sound_device.h"

// What the program looks up once it has loaded this module.
extern "C" __attribute__((visibility("default"))) media::SoundDevice* zumbrel_make_sound_device()
{
    return new media::SdlSoundDevice();
}
