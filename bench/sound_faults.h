#pragma once

#include "bench/sound_server.h"
#include "child_process.h"
#include "xvfb.h"

#include <optional>
#include <string>

// The real game against a private sound server that fails as a player's may,
// and what is heard once the server is back: shared by the idle bench, which
// prints it, and a test, which requires every hit to be heard.
enum class SoundFault { killed_mid_round, killed_at_title, absent_at_start, hung };

const char* describe(SoundFault fault);

struct SoundFaultOutcome {
    // Hits pressed after the server came back, and those that sounded in the sink.
    int hits = 0;
    int heard = 0;
    // From the server being back to the game's stream playing into it again.
    std::optional<double> reopened_ms{};
    // The game's CPU time while the server was away or hung, over `away_seconds`.
    long away_ticks = -1;
    // With a hung server: how SIGTERM ended the game, and how soon.
    std::optional<GameRun> end{};
    double end_ms = 0;
};

inline constexpr int away_seconds = 3;

SoundFaultOutcome play_through(SoundFault fault, SoundServer::Kind kind, const Xvfb& x, const std::string& program,
                               const std::string& data_dir);
