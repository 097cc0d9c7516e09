#include "child_process.h"

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>

ChildProcess::ChildProcess(const QStringList& command, const QProcessEnvironment& env, const QString& dir,
                           ProcessChannelMode channels, int keep_fd)
{
    setProcessEnvironment(env);
    setWorkingDirectory(dir);
    setProcessChannelMode(channels);
    setChildProcessModifier([keep_fd] {
        // An X server, sound server or busy loop left behind would spoil
        // every later test or figure on the machine.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (keep_fd >= 0)
            fcntl(keep_fd, F_SETFD, 0);
    });
    start(command.front(), command.mid(1));
    waitForStarted();
}

ChildProcess::~ChildProcess()
{
    terminate();
    if (!waitForFinished(5000)) {
        kill();
        waitForFinished();
    }
}

GameRun ChildProcess::end_with(int signal, int timeout_ms)
{
    if (error() == FailedToStart)
        return {.standard_error = "cannot start " + program()};
    if (signal != 0 && processId() > 0) // never 0 or -1 to ::kill(): those reach other processes
        ::kill(pid_t(processId()), signal);
    const bool timed_out = state() != NotRunning && !waitForFinished(timeout_ms);
    if (timed_out) {
        kill();
        waitForFinished();
    }
    return {timed_out, !timed_out && exitStatus() == CrashExit, exitCode(),
            QString::fromLocal8Bit(readAllStandardError())};
}
