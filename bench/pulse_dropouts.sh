#!/bin/sh
# Plays zumbrel_audio_buffer_bench's tone through SDL into a private
# PulseAudio null sink at each buffer size, records the sink's monitor with
# parec, and counts what the player failed to deliver.
#   bench/pulse_dropouts.sh BUILD_DIR [seconds] ["rate frames" ...]
set -eu
build=$(cd "$1" && pwd)
seconds=${2:-60}
shift $(($# < 2 ? $# : 2))
[ $# -gt 0 ] || set -- "44100 512" "44100 441" "48000 480" "44100 256"

# A server of our own: nobody else's sound, and nothing of ours left behind.
runtime=$(mktemp -d)
export PULSE_RUNTIME_PATH="$runtime" XDG_RUNTIME_DIR="$runtime" HOME="$runtime"
pulseaudio -n -D --exit-idle-time=-1 -L module-native-protocol-unix \
  -L "module-null-sink sink_name=bench rate=44100" 2>/dev/null
trap 'pulseaudio --kill 2>/dev/null; rm -rf "$runtime"' EXIT
until pactl info >/dev/null 2>&1; do sleep 0.1; done

cd "$build/data"
for format in "$@"; do
  parec -d bench.monitor --raw --format=s16le --rate=44100 --channels=2 >"$runtime/tone.raw" &
  recorder=$!
  sleep 0.5
  # shellcheck disable=SC2086 # "rate frames" is two arguments
  SDL_AUDIODRIVER=pulseaudio "$build/bench/zumbrel_audio_buffer_bench" $format "$seconds"
  sleep 0.5
  kill "$recorder"
  wait "$recorder" 2>/dev/null || true
  "$build/bench/zumbrel_recording_gaps" "$runtime/tone.raw" 44100
done
