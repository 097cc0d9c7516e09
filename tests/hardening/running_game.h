#pragma once

#include "game_process.h"

// The real game, started in the background, its error channel kept for its end.
class RunningGame : public ChildProcess {
    Q_OBJECT

public:
    RunningGame(const QString& dir, const QProcessEnvironment& env)
        : ChildProcess({ZUMBREL_PROGRAM}, with_full_leak_stacks(env), dir, ForwardedOutputChannel)
    {
    }

private:
    // Qt is built without frame pointers: only the slow unwinder reaches past
    // its frames to the library a leak suppression names. Kept to the game's
    // short runs here, as it makes a sanitized test several times slower.
    static QProcessEnvironment with_full_leak_stacks(QProcessEnvironment env)
    {
        if (env.contains("ASAN_OPTIONS"))
            env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":fast_unwind_on_malloc=0");
        return env;
    }
};
