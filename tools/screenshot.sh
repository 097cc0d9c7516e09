#!/usr/bin/env bash
# Makes the README's screenshot from the built game: a round in progress, the
# whole top-level window as an X server shows it, caption and edge included.
# ./build.sh screenshot builds the game and the test kit's window tool, installs
# what this needs and runs it.
# Usage: tools/screenshot.sh <program> <data-dir> <png> <zumbrel_x_window>
set -euo pipefail
program=$(realpath "$1") data_dir=$(realpath "$2") png=$(realpath "$3") x_window=$4
# Into the third stage: the counter, a shortened bar and a stage picture, early
# enough in the round that the countdown is still running.
hits=47

mkdir -p "$(dirname "$png")"
SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb "$x_window" --picture "$data_dir/bmp/25.bmp" --hits "$hits" \
  --capture "$png" -- sh -c 'cd "$0" && exec "$1"' "$data_dir" "$program"
echo "$png: $hits hits into a round"
