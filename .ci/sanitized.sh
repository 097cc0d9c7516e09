#!/usr/bin/env bash
# The tests built again with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer, into build/sanitize. Warnings fail, as in CI.
#   .ci/sanitized.sh [build | test]   (both when neither is named)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-build}" = build ]; then
  cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUMBREL_SANITIZE=ON -DBUILD_TESTING=ON
  cmake --build build/sanitize -j"$(nproc)"
fi
[ "${1:-test}" = test ] || exit 0
# The game's own processes, started by the tests, inherit these too.
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1
export LSAN_OPTIONS="suppressions=$PWD/tests/hardening/lsan_suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# With no session bus, libdbus forks to start one. Debian 12's sanitizer
# runtime can leave that child, forked from a threaded game, stuck on a lock
# before it execs, and the game's sound start waits on it for good. A bus that
# is plainly not there fails at once instead.
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
# The package was built, checked and installed in the first pass, and the
# desktop legs drive the same code as the hardening tests' game under X.
ctest --test-dir build/sanitize --output-on-failure -LE 'package|xfwm4|sway|weston|gnome|kde'
