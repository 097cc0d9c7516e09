#include "bench/child_process.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::vector<std::string> environment_with(const std::vector<std::string>& extra)
{
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view text(*entry);
        const auto overridden = [&](const std::string& e) {
            return text.substr(0, text.find('=')) == e.substr(0, e.find('='));
        };
        if (std::none_of(extra.begin(), extra.end(), overridden))
            env.emplace_back(text);
    }
    for (const std::string& e : extra)
        if (e.find('=') != std::string::npos)
            env.push_back(e);
    return env;
}

std::vector<char*> pointers_to(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& command, const std::vector<std::string>& extra_env,
                           const std::string& dir, int keep_fd)
{
    // Everything the child needs is built before fork: after it, only exec.
    std::vector<std::string> args = command;
    std::vector<std::string> env = environment_with(extra_env);
    const std::vector<char*> argv = pointers_to(args);
    const std::vector<char*> envp = pointers_to(env);
    pid_ = fork();
    if (pid_ == 0) {
        // Ends with the bench, however the bench ends: a busy loop or a sound
        // server left behind would spoil every later figure on the machine.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (keep_fd >= 0)
            fcntl(keep_fd, F_SETFD, 0);
        if (!dir.empty() && chdir(dir.c_str()) != 0)
            _exit(126);
        execvpe(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    if (pid_ < 0) {
        std::perror("fork");
        std::exit(1);
    }
}

ChildProcess::~ChildProcess()
{
    if (!running())
        return;
    kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool ChildProcess::running()
{
    if (pid_ <= 0)
        return false;
    if (waitpid(pid_, nullptr, WNOHANG) == 0)
        return true;
    pid_ = -1;
    return false;
}
