#!/usr/bin/env bash
# Starts the installed game in a private Xvfb the two ways a player does: from
# its desktop entry, and as `zumbrel` typed in a terminal in an unrelated folder.
# Each time its window must have the desktop entry's X11 class, show the title
# picture from the given data folder, and have loaded the sound module
# installed beside the program.
# Usage: installed_game_starts.sh <desktop-entry> <launcher> <data-dir> <zumbrel_x_window>
set -euo pipefail
entry=$1 launcher=$2 data_dir=$3 x_window=$4

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# Docks (GNOME's among them) find an X11 window's menu entry, and so its icon, by this class.
checks=(--picture "$data_dir/bmp/25.bmp" --class "$(sed -n 's/^StartupWMClass=//p' "$entry")"
  --module /zumbrel/zumbrel-sound.so)
export SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb

# gio applies Exec= as a desktop launcher does; the bus address stops it from
# starting a session bus of its own.
DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent" "$x_window" "${checks[@]}" -- gio launch "$entry" \
  || fail "the game from $entry"
echo "$entry starts the game, which shows its title picture from $data_dir and loads its sound module"

typed_path="$(dirname "$launcher"):$PATH"
found=$(PATH=$typed_path command -v zumbrel) || true
[ "$found" = "$launcher" ] || fail "zumbrel in a terminal would start '$found', not $launcher"
# Qt's -platform beats the variable, so a window shows only if the launcher
# hands its arguments on.
(cd / && PATH=$typed_path QT_QPA_PLATFORM=offscreen "$x_window" "${checks[@]}" -- zumbrel -platform xcb) \
  || fail "zumbrel typed in /"
echo "zumbrel typed in / starts the game, which shows its title picture from $data_dir and loads its sound module"
