#pragma once

#include "child_process.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

// Runs `command` in `dir`; a run still going after `timeout_ms` is killed.
GameRun run_to_end(const QStringList& command, const QString& dir, const QProcessEnvironment& env,
                   int timeout_ms);

// This machine's environment, with the game put on Qt's offscreen platform
// and on SDL's audio driver `driver`.
QProcessEnvironment offscreen_environment(const QString& driver);

// setpriv's words that run a command as the unprivileged user nobody; nothing
// if this process cannot switch users (not root, or no setpriv).
std::optional<QStringList> nobody_prefix();

// Makes `path` a folder that only its user may enter, as XDG_RUNTIME_DIR must
// be; that user is nobody if `for_nobody`, else this process's own.
bool make_runtime_folder(const QString& path, bool for_nobody);

// A command that runs the game as the unprivileged user nobody, from a copy
// of it in `dir`; adjusts `env` to match. Nothing if that cannot be done here.
std::optional<QStringList> as_nobody(const QString& program, const QString& dir, QProcessEnvironment& env);

// Qt is built without frame pointers: only the slow unwinder reaches past its
// frames to the library a leak suppression names. For the game's short runs
// alone, as it makes a sanitized test several times slower.
QProcessEnvironment with_full_leak_stacks(QProcessEnvironment env);

// The first line in which a sanitizer reports a fault; empty if none did.
QString sanitizer_finding(const QString& standard_error);
