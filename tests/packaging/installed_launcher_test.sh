#!/usr/bin/env bash
# Installs the build into a fresh prefix, validates the launcher and AppStream
# data, then starts the game the way its desktop entry says, in a private Xvfb,
# and waits for the title picture from the installed data on its window.
# Usage: installed_launcher_test.sh <cmake> <build-dir> <window_shows_picture>
set -euo pipefail
cmake=$1 build=$2 shows_picture=$3
app_id=io.github.zumbrel.Zumbrel

work=$(mktemp -d)
xvfb_pid='' game_pid=''
cleanup() {
  if [ -n "$game_pid" ]; then kill "$game_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The space checks that Exec= is quoted as launchers expect.
root="$work/install root"
prefix="$root/usr"
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" \
  || { cat "$work/install.log"; fail "cmake --install"; }

entry="$prefix/share/applications/$app_id.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate $entry"
# validate-tree also checks the metainfo against the installed desktop entry.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"

exec_value=$(sed -n 's/^Exec=//p' "$entry")
path_value=$(sed -n 's/^Path=//p' "$entry")
echo "Exec=$exec_value"
echo "Path=$path_value"
[ "$path_value" = "$prefix/share/zumbrel" ] || fail "Path= is not the installed data folder"
[[ $exec_value == *"$prefix/bin/zumbrel"* ]] || fail "Exec= does not start the installed program"
icon=$(sed -n 's/^Icon=//p' "$entry")
for size in 16 32 48 64 128 256; do
  [ -f "$prefix/share/icons/hicolor/${size}x$size/apps/$icon.png" ] || fail "no ${size}px icon named $icon"
done

Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { cat "$work/xvfb.log"; fail "Xvfb did not start"; }
export DISPLAY=":$(cat "$work/display")"

# gio applies Exec= and Path= as a desktop launcher does; the bus address
# stops it from starting a session bus of its own.
if ! SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" \
  gio launch "$entry" >"$work/game.log" 2>&1; then
  cat "$work/game.log"
  fail "gio launch $entry"
fi
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Zumbrel$' | head -n 1) || true
[ -n "$window" ] || { cat "$work/game.log"; fail "no Zumbrel window appeared"; }
game_pid=$(xdotool getwindowpid "$window") || true

"$shows_picture" "$window" 17 133 "$prefix/share/zumbrel/bmp/25.bmp" \
  || { cat "$work/game.log"; fail "the window does not show the installed title picture"; }
echo "the installed game shows its title picture"
