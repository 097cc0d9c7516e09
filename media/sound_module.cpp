#include "media/sound_module.h"

#include <dlfcn.h>

#include <cstdio>
#include <system_error>

namespace media {

std::optional<std::filesystem::path> sound_module_place(const std::filesystem::path& program)
{
    if (!program.is_absolute())
        return std::nullopt;
    return program.parent_path() / ZUMBREL_SOUND_MODULE;
}

std::unique_ptr<SoundBackend> load_sound_module()
{
    std::error_code error;
    const auto place = sound_module_place(std::filesystem::read_symlink("/proc/self/exe", error));
    if (!place || !std::filesystem::is_regular_file(*place, error)) {
        std::fprintf(stderr, "zumbrel: no sound, as the sound module is missing (looked for it %s)\n",
                     place ? place->c_str() : "nowhere: the program cannot tell where it is");
        return nullptr;
    }
    // Never closed: the backend's code lives in it.
    void* const module = dlopen(place->c_str(), RTLD_NOW | RTLD_LOCAL);
    using Maker = SoundBackend* (*)();
    const auto make = module ? reinterpret_cast<Maker>(dlsym(module, "zumbrel_make_sound_backend")) : nullptr;
    if (!make) {
        std::fprintf(stderr, "zumbrel: no sound, as the sound module does not load: %s\n", dlerror());
        return nullptr;
    }
    return std::unique_ptr<SoundBackend>(make());
}

} // namespace media
