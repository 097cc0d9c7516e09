#!/usr/bin/env bash
# Installs the build into a fresh prefix, validates the launcher and AppStream
# data, then starts the game from its desktop entry and from a terminal and
# waits for the title picture from the installed data on its window.
# Usage: installed_launcher_test.sh <cmake> <build-dir> <zumbrel_x_window>
set -euo pipefail
cmake=$1 build=$2 x_window=$3
app_id=io.github.zumbrel.Zumbrel

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
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
echo "Exec=$exec_value"
[[ $exec_value == *"$prefix/games/zumbrel"* ]] || fail "Exec= does not start the installed launcher"
icon=$(sed -n 's/^Icon=//p' "$entry")
for size in 16 32 48 64 128 256; do
  [ -f "$prefix/share/icons/hicolor/${size}x$size/apps/$icon.png" ] || fail "no ${size}px icon named $icon"
done

bash "$(dirname "$0")/installed_game_starts.sh" "$entry" "$prefix/games/zumbrel" "$prefix/share/games/zumbrel" "$x_window"
