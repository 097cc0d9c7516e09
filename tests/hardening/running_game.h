#pragma once

#include "game_process.h"

// The real game, started in the background, its error channel kept for its end.
class RunningGame : public ChildProcess {
    Q_OBJECT

public:
    RunningGame(const QString& dir, const QProcessEnvironment& env)
        : ChildProcess({ZUMBREL_PROGRAM}, env, dir, ForwardedOutputChannel)
    {
    }
};
