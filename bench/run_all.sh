#!/bin/sh
# Runs every bench with the counts the README's figures were taken with,
# printing the machine and its load before each; about 20 minutes. The sound
# benches start a PulseAudio or PipeWire server of their own, whose packages
# are installed if missing.
#   bench/run_all.sh BUILD_DIR
set -eu
build=$(cd "$1" && pwd)

machine() {
  echo "== $1: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1-3 /proc/loadavg)"
}

for program in pulseaudio parec pipewire pipewire-pulse wireplumber dbus-daemon; do
  command -v $program >/dev/null || missing=1
done
if [ -n "${missing:-}" ]; then
  sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get install -y -qq --no-install-recommends pulseaudio pulseaudio-utils pipewire pipewire-bin \
    pipewire-pulse wireplumber dbus-daemon
fi

cd "$build/data"
machine "hit latency"
"$build/bench/zumbrel_hit_latency_bench" . 50
machine "key to pixels, game and floor"
"$build/bench/zumbrel_key_to_pixels_bench" 500
# As a desktop runs them, the sound servers at a real-time priority.
export ZUMBREL_BENCH_REALTIME_SERVERS=1
for load in quiet busy; do
  machine "sound outputs in rounds, the game's against its old one, $load"
  "$build/bench/zumbrel_audio_buffer_bench" 3 $load game game+plain 441@44100
  machine "the real game in rounds, $load"
  "$build/bench/zumbrel_idle_cost_bench" 3 $load
done
machine "start-up, game and floor, three audio set-ups"
"$build/bench/zumbrel_start_up_bench" 21
machine "memory"
"$build/bench/zumbrel_memory_bench" . 1000
machine "timer"
"$build/bench/zumbrel_timer_bench" . 1
