#pragma once

#include <string_view>

namespace media {

// A place that holds sounds open under names and plays them. Every failure is
// silent: a name that did not open simply never sounds.
class SoundDevice {
public:
    virtual ~SoundDevice() = default;

    virtual void open(std::string_view file, std::string_view alias) = 0;
    // Starts the sound from its beginning without waiting for it, cutting off
    // the same name if it is still sounding; other names sound on.
    virtual void play_from_start(std::string_view alias) = 0;
    virtual void close(std::string_view alias) = 0;
    // While kept ready, plays must sound at once. Otherwise the device may let
    // its output go once it has been quiet a while; the names stay open.
    virtual void keep_ready(bool ready) = 0;
};

} // namespace media
