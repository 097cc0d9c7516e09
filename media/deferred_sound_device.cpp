#include "media/deferred_sound_device.h"

namespace media {

DeferredSoundDevice::~DeferredSoundDevice()
{
    if (maker_.joinable())
        maker_.join();
}

void DeferredSoundDevice::make(Maker maker)
{
    maker_ = std::thread([this, maker = std::move(maker)] { arrive(maker()); });
}

void DeferredSoundDevice::arrive(std::unique_ptr<SoundDevice> device)
{
    const std::lock_guard lock(mutex_);
    if (device) {
        for (const auto& command : kept_)
            command(*device);
    }
    device_ = std::move(device);
    made_ = true;
    arrived_.notify_all();
}

void DeferredSoundDevice::send(Command command)
{
    const std::lock_guard lock(mutex_);
    if (!made_)
        kept_.push_back(std::move(command));
    else if (device_)
        command(*device_);
}

void DeferredSoundDevice::open(std::string_view file, std::string_view alias)
{
    send([file = std::string(file), alias = std::string(alias)](SoundDevice& d) { d.open(file, alias); });
}

void DeferredSoundDevice::play_from_start(std::string_view alias)
{
    // Not kept: a hit heard late would be a wrong sound, not a late one.
    const std::lock_guard lock(mutex_);
    if (device_)
        device_->play_from_start(alias);
}

void DeferredSoundDevice::close(std::string_view alias)
{
    send([alias = std::string(alias)](SoundDevice& d) { d.close(alias); });
}

void DeferredSoundDevice::keep_ready(bool ready)
{
    send([ready](SoundDevice& d) { d.keep_ready(ready); });
}

bool DeferredSoundDevice::wait_for_device(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, timeout, [this] { return made_; });
    return device_ != nullptr;
}

} // namespace media
