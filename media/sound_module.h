#pragma once

#include "media/sound_device.h"

#include <memory>

namespace media {

// The SDL sound device, from a module of its own: SDL_mixer and the forty-odd
// libraries it needs take longer to load than the window takes to show, so the
// program does not link them and loads them only when asked. Nothing if the
// module cannot be loaded, with the reason on standard error.
std::unique_ptr<SoundDevice> load_sound_module();

} // namespace media
