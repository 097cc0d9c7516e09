#include "media/sound_module.h"

#include <dlfcn.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace media {

std::unique_ptr<SoundDevice> load_sound_module()
{
    // Beside the program in the build tree, in the library folder once
    // installed; never from the current folder, which holds the player's data.
    std::error_code error;
    const auto program_dir = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    const std::array places = {
        program_dir / ZUMBREL_SOUND_MODULE,
        program_dir / ZUMBREL_SOUND_MODULE_FROM_PROGRAM / ZUMBREL_SOUND_MODULE,
    };
    for (const auto& place : places) {
        if (!std::filesystem::is_regular_file(place, error))
            continue;
        // Never closed: the device's code lives in it.
        void* module = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
        const auto make = module ? reinterpret_cast<SoundDevice* (*)()>(dlsym(module, "zumbrel_make_sound_device")) : nullptr;
        if (!make) {
            std::fprintf(stderr, "zumbrel: no sound, as the sound module does not load: %s\n", dlerror());
            return nullptr;
        }
        return std::unique_ptr<SoundDevice>(make());
    }
    std::fprintf(stderr, "zumbrel: no sound, as the sound module %s is missing\n", places.back().c_str());
    return nullptr;
}

} // namespace media
