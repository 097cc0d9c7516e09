#!/usr/bin/env bash
# Makes the README's screenshot from the built game: a round in progress, the
# whole top-level window as an X server shows it, caption and edge included.
# ./build.sh screenshot builds the game, installs what this needs and runs it.
# Usage: tools/screenshot.sh <program> <data-dir> <png>
set -euo pipefail
# Once more inside a private X server of its own.
if [ -z "${zumbrel_screenshot_server:-}" ]; then
  zumbrel_screenshot_server=1 exec xvfb-run -a -s '-screen 0 640x480x24 -nolisten tcp' "$0" "$@"
fi
program=$(realpath "$1") data_dir=$2 png=$(realpath "$3")
# Into the third stage: the counter, a shortened bar and a stage picture, early
# enough in the round that the countdown is still running.
hits=47

log=$(mktemp)
(cd "$data_dir" && SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb exec "$program") >"$log" 2>&1 &
game_pid=$!
trap 'kill "$game_pid" 2>/dev/null || true; rm -f "$log"' EXIT
fail() {
  cat "$log"
  echo "screenshot: $*" >&2
  exit 1
}

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Zumbrel$' | head -n 1) || true
[ -n "$window" ] || fail "no Zumbrel window appeared"
xdotool windowfocus --sync "$window"
# The client area sits at the bottom of the window, under any caption the
# game draws itself; the スタート button spans y = 96 to 121 in it.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" $((WIDTH / 2)) $((HEIGHT - 375 + 108)) click 1
# The pointer off the button, which would otherwise show its hover.
xdotool mousemove --window "$window" $((WIDTH / 2)) $((HEIGHT - 375 + 60))
xdotool key --delay 30 $(printf 'space %.0s' $(seq "$hits"))
# Let the last hit's picture reach the screen.
sleep 0.5
kill -0 "$game_pid" 2>/dev/null || fail "the game ended"
mkdir -p "$(dirname "$png")"
# No time stamps, so that an unchanged look makes an unchanged file.
import -window "$window" -strip -define png:exclude-chunks=date,time "png24:$png"
echo "$png: $(identify -format '%wx%h' "$png"), $hits hits into a round"
