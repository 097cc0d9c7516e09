#!/usr/bin/env bash
# Builds the source and binary Debian packages from a copy of the source tree,
# checks what lintian does not, and runs lintian on all of them. As root it then
# installs the package, starts the game from its menu entry and from a terminal
# in an unrelated folder, and purges the package, which must take every path it
# brought.
# Usage: deb_package_test.sh <source-dir> <build-dir> <zumbrel_x_window>
set -euo pipefail
source_dir=$1 build=$2 x_window=$3
app_id=io.github.zumbrel.Zumbrel
skipped=77

work=$(mktemp -d)
installed=''
cleanup() {
  if [ -n "$installed" ]; then apt-get remove --purge -y -qq zumbrel >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A copy without this build tree or any other, so the package builds from the
# sources alone and leaves the build tree as it was.
mkdir "$work/zumbrel"
tar -C "$source_dir" --exclude-vcs --exclude=./build --exclude="./$(realpath --relative-to="$source_dir" "$build")" \
  -cf - . | tar -C "$work/zumbrel" -xf -
# The suite has run already, in the build tree this test belongs to. debhelper
# would take CXXFLAGS as they are, without Debian's -g and -O2: the caller's
# flags (CI's -Werror) go after Debian's instead.
(cd "$work/zumbrel" && env -u CXXFLAGS DEB_CXXFLAGS_APPEND="${CXXFLAGS:-}" \
  DEB_BUILD_OPTIONS="nocheck parallel=$(nproc)" DEB_BUILD_PROFILES=nocheck \
  dpkg-buildpackage -us -uc) >"$work/build.log" 2>&1 || { tail -n 40 "$work/build.log"; fail "dpkg-buildpackage"; }
debs=("$work"/zumbrel_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one zumbrel_*.deb, found: ${debs[*]}"
deb=${debs[0]}
echo "built $(basename "$deb")"

dpkg-deb -c "$deb" | awk '{ print $NF }' | sed 's|^\./|/|' >"$work/contents"
outside=$(grep -v '^/usr/' "$work/contents" | grep -vx '/' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"

data=/usr/share/games/zumbrel
expected=(/usr/games/zumbrel /usr/lib/games/zumbrel/zumbrel /usr/lib/games/zumbrel/zumbrel-sound.so "$data/sh-hit1.wav" "$data/sh-hit2.wav"
  "/usr/share/applications/$app_id.desktop" "/usr/share/metainfo/$app_id.metainfo.xml"
  /usr/share/doc/zumbrel/copyright /usr/share/doc/zumbrel/changelog.gz /usr/share/man/man6/zumbrel.6.gz)
for number in $(seq 25); do expected+=("$data/bmp/$number.bmp" "$data/bmp/$number@2x.bmp"); done
for size in 16 32 48 64 128 256; do expected+=("/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png"); done
missing=()
for file in "${expected[@]}"; do
  grep -qxF "$file" "$work/contents" || missing+=("$file")
done
[ ${#missing[@]} -eq 0 ] || fail "missing from the package: ${missing[*]}"
# Debian policy: a shared object is not to be executable.
module_mode=$(dpkg-deb -c "$deb" | awk '$NF == "./usr/lib/games/zumbrel/zumbrel-sound.so" { print $1 }')
[ "$module_mode" = -rw-r--r-- ] || fail "the sound module's mode is $module_mode"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for package in 'libqt6widgets6' 'libsdl2-mixer-2\.0-0' 'fonts-ipafont-gothic'; do
  grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends does not name $package"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
[ "$recommends" = qt6-wayland ] || fail "Recommends: $recommends"

packaged() { dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/share/$1"; }
exec_value=$(packaged "applications/$app_id.desktop" | sed -n 's/^Exec=//p')
[ "$exec_value" = /usr/games/zumbrel ] || fail "packaged desktop entry has Exec=$exec_value"
for file in lib/games/zumbrel/zumbrel lib/games/zumbrel/zumbrel-sound.so; do
  dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/$file" >"$work/elf"
  readelf -S -W "$work/elf" >"$work/sections"
  ! grep -qF .comment "$work/sections" || fail "the packaged $file keeps its .comment section"
done
# Read into a file first: a grep that stops at its first match would leave tar
# to die of SIGPIPE, which pipefail turns into a failed check.
packaged "metainfo/$app_id.metainfo.xml" >"$work/metainfo"
# Software centres show the newest AppStream release as the installed version.
version=$(dpkg-deb -f "$deb" Version)
newest_release=$(grep -m1 -o '<release version="[^"]*"' "$work/metainfo" | cut -d'"' -f2 || true)
[ "$newest_release" = "$version" ] || fail "metainfo's newest release is '$newest_release', the package is $version"
# With parental controls on, software centres hide an app that has no rating.
grep -q '<content_rating type="oars-1\.1">' "$work/metainfo" || fail "no OARS content rating"
packaged doc/zumbrel/changelog.gz | gunzip >"$work/changelog"
for field in Version Maintainer; do
  from_changelog=$(dpkg-parsechangelog -l "$work/changelog" -S "$field")
  [ "$from_changelog" = "$(dpkg-deb -f "$deb" "$field")" ] || fail "the changelog's newest $field is $from_changelog"
done
echo "package contents, dependencies, launcher and changelog are as expected"

# No overrides, and no local configuration that could hide a tag. lintian
# leaves temporary files behind, so they go where the test cleans up.
TMPDIR=$work lintian --no-cfg --no-override --fail-on error,warning --display-info --pedantic \
  "$work"/zumbrel_*.dsc "$work"/zumbrel_*.changes "$deb" \
  || fail "lintian reports errors or warnings"
echo "lintian reports no error and no warning"

[ "$(id -u)" -eq 0 ] || { echo "SKIP: installing the package on this machine needs root"; exit $skipped; }
if dpkg-query -W -f='${Status}' zumbrel 2>/dev/null | grep -q ' installed$'; then
  echo "SKIP: zumbrel is installed on this machine already; the test leaves it alone"
  exit $skipped
fi

existing() { while read -r path; do if [ -e "$path" ]; then echo "$path"; fi; done <"$work/contents" | sort; }
existing >"$work/before"
# apt's download user must be able to read the package.
chmod 755 "$work"
installed=yes
apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=300 "$@" >"$work/apt.log" 2>&1; }
apt_get install --no-install-recommends "$deb" || { cat "$work/apt.log"; fail "apt-get install $deb"; }

bash "$(dirname "$0")/installed_game_starts.sh" \
  "/usr/share/applications/$app_id.desktop" /usr/games/zumbrel "$data" "$x_window"

apt_get remove --purge zumbrel || { cat "$work/apt.log"; fail "apt-get remove --purge zumbrel"; }
installed=''
! dpkg-query -W zumbrel 2>/dev/null || fail "dpkg still knows zumbrel after the purge"
left_behind=$(existing | comm -13 "$work/before" -)
[ -z "$left_behind" ] || fail "left behind after the purge: $left_behind"
echo "the package installs, starts from its menu entry and from a terminal, and purges without a trace"
