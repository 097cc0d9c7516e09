#!/usr/bin/env bash
# Starts the installed game in a private Xvfb the two ways a player does: from
# its desktop entry, and as `zumbrel` typed in a terminal in an unrelated folder.
# Each time it waits for the title picture from the given data folder on its
# window, and for the sound module installed beside the program to be loaded.
# Usage: installed_game_starts.sh <desktop-entry> <launcher> <data-dir> <window_shows_picture>
set -euo pipefail
entry=$1 launcher=$2 data_dir=$3 shows_picture=$4

work=$(mktemp -d)
xvfb_pid='' game_pid=''
stop_game() {
  if [ -n "$game_pid" ]; then
    kill "$game_pid" 2>/dev/null || true
    # Not always a child of this shell (gio starts it), so wait by its /proc entry.
    for _ in $(seq 50); do [ -e "/proc/$game_pid" ] || break; sleep 0.1; done
  fi
  game_pid=''
}
cleanup() {
  stop_game
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { cat "$work/xvfb.log"; fail "Xvfb did not start"; }
export DISPLAY=":$(cat "$work/display")" SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb

# Waits for the window of the game just started and checks what it shows.
title_shown() {
  local how=$1 window
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Zumbrel$' | head -n 1) || true
  [ -n "$window" ] || { cat "$work/game.log"; fail "$how: no Zumbrel window appeared"; }
  game_pid=$(xdotool getwindowpid "$window") || true
  # Docks (GNOME's among them) find an X11 window's menu entry, and so its icon, by this class.
  wm_class=$(sed -n 's/^StartupWMClass=//p' "$entry")
  xdotool search --class "^${wm_class}\$" | grep -qx "$window" \
    || fail "$how: StartupWMClass=$wm_class is not the window's X11 class: docks would show no icon for it"

  "$shows_picture" "$window" "$data_dir/bmp/25.bmp" \
    || { cat "$work/game.log"; fail "$how: the window does not show the title picture from $data_dir"; }
  # A game that has said it has no sound is not waited for.
  for _ in $(seq 100); do
    grep -q '/zumbrel/zumbrel-sound\.so$' "/proc/$game_pid/maps" && break
    grep -q 'zumbrel: no sound' "$work/game.log" && break
    sleep 0.1
  done
  grep -q '/zumbrel/zumbrel-sound\.so$' "/proc/$game_pid/maps" \
    || { cat "$work/game.log"; fail "$how: the game did not load its sound module"; }
  echo "$how starts the game, which shows its title picture from $data_dir and loads its sound module"
  stop_game
}

# gio applies Exec= as a desktop launcher does; the bus address stops it from
# starting a session bus of its own.
DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" gio launch "$entry" >"$work/game.log" 2>&1 \
  || { cat "$work/game.log"; fail "gio launch $entry"; }
title_shown "$entry"

typed_path="$(dirname "$launcher"):$PATH"
found=$(PATH=$typed_path command -v zumbrel) || true
[ "$found" = "$launcher" ] || fail "zumbrel in a terminal would start '$found', not $launcher"
# Qt's -platform beats the variable, so a window shows only if the launcher
# hands its arguments on.
(cd / && PATH=$typed_path QT_QPA_PLATFORM=offscreen exec zumbrel -platform xcb) >"$work/game.log" 2>&1 &
title_shown "zumbrel typed in /"
