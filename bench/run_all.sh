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
machine "sound device"
SDL_AUDIODRIVER=dummy "$build/bench/zumbrel_sound_bench"
machine "audio buffers through PulseAudio and PipeWire null sinks, both cores busy"
"$build/bench/zumbrel_audio_buffer_bench" 20 2 busy 441@44100 128 game
machine "audio buffers through PulseAudio and PipeWire null sinks, 10 hits a second"
"$build/bench/zumbrel_audio_buffer_bench" 25 1 idle 441@44100 game
machine "start-up, game and floor, three audio set-ups"
"$build/bench/zumbrel_start_up_bench" 21
machine "idle cost, key to first sample and sound server faults, PulseAudio and PipeWire null sinks"
"$build/bench/zumbrel_idle_cost_bench" 10
machine "memory"
"$build/bench/zumbrel_memory_bench" . 1000
machine "timer"
"$build/bench/zumbrel_timer_bench" . 1
