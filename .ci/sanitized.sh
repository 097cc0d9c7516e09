#!/usr/bin/env bash
# The tests built again with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer, into build/sanitize. Warnings fail, as in CI.
#   .ci/sanitized.sh
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUMBREL_SANITIZE=ON -DBUILD_TESTING=ON
cmake --build build/sanitize -j"$(nproc)"
# The game's own processes, started by the tests, inherit these too.
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1
export LSAN_OPTIONS="suppressions=$PWD/tests/hardening/lsan_suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# A sanitized round is a few times slower; a leak shows after a hundred as well.
export ZUMBREL_SOAK_ROUNDS=100
# The package was built, checked and installed in the first pass.
ctest --test-dir build/sanitize --output-on-failure -LE package
