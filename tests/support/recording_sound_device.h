#pragma once

#include "media/sound_device.h"

#include <string>
#include <vector>

// Keeps every command sent to the sounds, as "open FILE alias NAME",
// "play NAME from 0", "close NAME", "keep ready" and "may rest".
class RecordingSoundDevice : public media::SoundDevice {
public:
    std::vector<std::string> commands;

    void open(std::string_view file, std::string_view alias) override
    {
        commands.push_back("open " + std::string(file) + " alias " + std::string(alias));
    }
    void play_from_start(std::string_view alias) override
    {
        commands.push_back("play " + std::string(alias) + " from 0");
    }
    void close(std::string_view alias) override { commands.push_back("close " + std::string(alias)); }
    void keep_ready(bool ready) override { commands.emplace_back(ready ? "keep ready" : "may rest"); }
};
