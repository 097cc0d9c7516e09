#pragma once

#include <sys/types.h>

// CPU time the process has used so far, user and system, in clock ticks
// (sysconf(_SC_CLK_TCK) a second); -1 once it is gone.
long cpu_ticks(pid_t pid);

// Whether the process holds an SDL audio device open: SDL plays from a
// thread of its own, named SDLAudioP and the device's number.
bool has_sdl_audio_thread(pid_t pid);
