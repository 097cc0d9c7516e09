#include "media/sound_module.h"

#include <dlfcn.h>

#include <cstdio>
#include <system_error>

namespace media {

std::vector<std::filesystem::path> sound_module_places(const std::filesystem::path& program)
{
    if (!program.is_absolute())
        return {};
    return {program.parent_path() / ZUMBREL_SOUND_MODULE};
}

std::unique_ptr<SoundBackend> load_sound_module()
{
    std::error_code error;
    const auto places = sound_module_places(std::filesystem::read_symlink("/proc/self/exe", error));
    for (const auto& place : places) {
        if (!std::filesystem::is_regular_file(place, error))
            continue;
        // Never closed: the device's code lives in it.
        void* module = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
        const auto make = module ? reinterpret_cast<SoundBackend* (*)()>(dlsym(module, "zumbrel_make_sound_backend")) : nullptr;
        if (!make) {
            std::fprintf(stderr, "zumbrel: no sound, as the sound module does not load: %s\n", dlerror());
            return nullptr;
        }
        return std::unique_ptr<SoundBackend>(make());
    }
    std::fprintf(stderr, "zumbrel: no sound, as the sound module is missing (looked for it %s)\n",
                 places.empty() ? "nowhere: the program cannot tell where it is" : places.back().c_str());
    return nullptr;
}

} // namespace media
