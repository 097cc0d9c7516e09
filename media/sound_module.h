#pragma once

#include "media/sound_backend.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace media {

// Where the program at `program` looks for its sound module: beside itself,
// in a build tree and once installed. None for a program that cannot say
// where it is: never the current folder, which holds the player's data.
std::vector<std::filesystem::path> sound_module_places(const std::filesystem::path& program);

// The SDL backend, from a module of its own: SDL_mixer and the forty-odd
// libraries it needs take longer to load than the window takes to show, so the
// program does not link them and loads them only when asked. Nothing if the
// module cannot be loaded, with the reason on standard error.
std::unique_ptr<SoundBackend> load_sound_module();

} // namespace media
