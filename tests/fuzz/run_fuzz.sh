#!/usr/bin/env bash
# Fuzzes the picture checks and the decoder behind them for SECONDS seconds
# (60 if not given), building into build/fuzz with clang's libFuzzer, and
# says how many inputs it tried. Exits non-zero on any finding; the input
# that caused it is kept in build/fuzz/findings/.
#   tests/fuzz/run_fuzz.sh [SECONDS]
set -euo pipefail
seconds="${1:-60}"
cd "$(dirname "$0")/../.."
build=build/fuzz

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
apt_install() {
  echo "Installing: $*"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "$@"
}
command -v clang++ >/dev/null || apt_install clang
# libFuzzer comes in clang's runtime package, named with or without its version.
fuzzer_runtime() { [ -e "$(clang++ -print-runtime-dir)/libclang_rt.fuzzer-x86_64.a" ] \
  || [ -e "$(clang++ -print-file-name=libclang_rt.fuzzer-x86_64.a)" ]; }
if ! fuzzer_runtime; then
  apt_install libclang-rt-dev || apt_install "libclang-rt-$(clang++ -dumpversion | cut -d. -f1)-dev"
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DBUILD_TESTING=ON -DZUMBREL_FUZZ=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target picture_fuzz picture_fuzz_corpus >/dev/null

mkdir -p "$build/corpus" "$build/findings"
log="$build/fuzz.log"
status=0
started=$SECONDS
# Inputs found before are kept in corpus/; the seeds are read again each run.
"$build/tests/fuzz/picture_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$build/findings/" \
  "$build/corpus" "$build/tests/fuzz/seeds" >"$log" 2>&1 || status=$?

final_stat() { sed -n "s/^stat::$1: *//p" "$log" | tail -n 1; }
echo "picture fuzzing: $(final_stat number_of_executed_units) inputs tried in $((SECONDS - started)) s," \
  "$(final_stat new_units_added) new inputs kept, peak memory $(final_stat peak_rss_mb) MB"
if [ "$status" -ne 0 ]; then
  echo "picture fuzzing FOUND A FAULT (exit $status); the fuzzer's report:" >&2
  grep -E -A 30 '^==[0-9]+==|runtime error:|deadly signal|Test unit written' "$log" | head -n 60 >&2
  exit "$status"
fi
echo "picture fuzzing: no findings"
