#!/bin/sh
# Runs every bench with the counts the README's figures were taken with,
# printing the machine and its load before each; about 15 minutes. The sound
# benches start a PulseAudio server of their own: pulseaudio and
# pulseaudio-utils are installed if missing.
#   bench/run_all.sh BUILD_DIR
set -eu
build=$(cd "$1" && pwd)

machine() {
  echo "== $1: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1-3 /proc/loadavg)"
}

if ! command -v pulseaudio >/dev/null || ! command -v parec >/dev/null; then
  sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get install -y -qq --no-install-recommends pulseaudio pulseaudio-utils
fi

cd "$build/data"
machine "hit latency"
"$build/bench/zumbrel_hit_latency_bench" . 50
machine "key to pixels, game and floor"
"$build/bench/zumbrel_key_to_pixels_bench" 500
machine "sound device"
SDL_AUDIODRIVER=dummy "$build/bench/zumbrel_sound_bench"
machine "audio buffers through a PulseAudio null sink, both cores busy"
"$build/bench/zumbrel_audio_buffer_bench" 40 4 512 441 256
machine "start-up, game and floor, three audio set-ups"
"$build/bench/zumbrel_start_up_bench" 21
machine "idle cost, PulseAudio null sink"
"$build/bench/zumbrel_idle_cost_bench" 10
machine "memory"
"$build/bench/zumbrel_memory_bench" . 1000
machine "timer"
"$build/bench/zumbrel_timer_bench" . 1
