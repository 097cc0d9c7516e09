#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// A program started in a folder with changes to this process's environment
// ("NAME=value" sets, a bare "NAME" takes away); asked to end with SIGTERM,
// then killed, when destroyed.
class ChildProcess {
public:
    // keep_fd stays open in the child, for programs told to write to it.
    ChildProcess(const std::vector<std::string>& command, const std::vector<std::string>& extra_env,
                 const std::string& dir, int keep_fd = -1);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool running();

private:
    pid_t pid_ = -1;
};
