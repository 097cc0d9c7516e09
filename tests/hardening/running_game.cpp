#include "running_game.h"

#include <csignal>

RunningGame::RunningGame(const QString& dir, const QProcessEnvironment& env)
{
    process_.setWorkingDirectory(dir);
    process_.setProcessEnvironment(env);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.start(ZUMBREL_PROGRAM, {});
    process_.waitForStarted();
}

RunningGame::~RunningGame()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished();
    }
}

GameRun RunningGame::end_with(int signal, int timeout_ms)
{
    const qint64 pid = process_.processId();
    if (pid <= 0) // never 0 or -1 to kill(): those reach other processes
        return {.standard_error = "the game is not running"};
    ::kill(pid_t(pid), signal);
    return wait_for_end(process_, timeout_ms);
}
