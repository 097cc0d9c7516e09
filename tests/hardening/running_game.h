#pragma once

#include "game_process.h"

// The real game, started in the background and ended by a signal.
class RunningGame {
public:
    RunningGame(const QString& dir, const QProcessEnvironment& env);
    ~RunningGame();
    RunningGame(const RunningGame&) = delete;
    RunningGame& operator=(const RunningGame&) = delete;

    bool started() const { return process_.state() == QProcess::Running; }
    // Sends `signal` and waits up to `timeout_ms` for the game to end.
    GameRun end_with(int signal, int timeout_ms);

private:
    QProcess process_;
};
