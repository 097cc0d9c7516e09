#pragma once

#include "media/sound_backend.h"

#include <filesystem>
#include <memory>
#include <optional>

namespace media {

// Where the program at `program` finds its sound module: beside itself, in a
// build tree and once installed. Never the current folder, which holds the
// player's data, so nowhere for a program that cannot say where it is.
std::optional<std::filesystem::path> sound_module_place(const std::filesystem::path& program);

// The SDL backend, from a module of its own: SDL_mixer and the forty-odd
// libraries it needs take longer to load than the window takes to show, so the
// program loads them only when asked. Nothing if the module does not load,
// with the reason on standard error.
std::unique_ptr<SoundBackend> load_sound_module();

} // namespace media
