#pragma once

#include <sys/types.h>

// CPU time the process has used so far, user and system, in clock ticks
// (sysconf(_SC_CLK_TCK) a second); -1 once it is gone.
long cpu_ticks(pid_t pid);
