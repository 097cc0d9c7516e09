#pragma once

#include "sound_server.h"
#include "child_process.h"

#include <chrono>
#include <optional>

// The real game against a private sound server that fails as a player's may,
// and what is heard once the server is back: shared by the idle bench, which
// prints it, and a test, which requires every hit to be heard.
enum class SoundFault { killed_mid_round, killed_at_title, absent_at_start, hung_then_closed, hung_then_sigterm };

const char* describe(SoundFault fault);

struct SoundFaultOutcome {
    // Hits pressed after the server came back, and those that sounded in the sink.
    int hits = 0;
    int heard = 0;
    // From the server being back to the game's stream playing into it again.
    std::optional<double> reopened_ms{};
    // The game's CPU time while the server was away, over `away_seconds`.
    long away_ticks = -1;
    // Absent at start: the game's streams in the server, come while no round was on.
    int streams_before_start = 0;
    // Whether the game played through PipeWire's PulseAudio server rather than PipeWire's own.
    bool through_pulse = false;
    // With a hung server: how the close box or SIGTERM ended the game, and how soon.
    std::optional<GameRun> end{};
    double end_ms = 0;
};

inline constexpr int away_seconds = 1;
// How long a game may take to play into a server that is back: it looks once a second.
inline constexpr auto reopen_patience = std::chrono::seconds(4);

// The game on the test kit's bare X server.
SoundFaultOutcome play_through(SoundFault fault, SoundServer::Kind kind, const QString& program, const QString& data_dir);
