#!/usr/bin/env bash
# Builds the Debian package from the build tree into a temporary folder and
# checks its contents, its dependencies, the launcher's data folder and the
# AppStream release.
# Usage: deb_package_test.sh <cpack> <build-dir>
set -euo pipefail
cpack=$1 build=$2
app_id=io.github.zumbrel.Zumbrel

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; fail "cpack -G DEB"; }
debs=("$work"/zumbrel_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one zumbrel_*.deb, found: ${debs[*]}"
deb=${debs[0]}
echo "built $(basename "$deb")"

dpkg-deb -c "$deb" | awk '{ print $NF }' | sed 's|^\./|/|' >"$work/contents"
outside=$(grep -v '^/usr/' "$work/contents" | grep -vx '/' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"

expected=(/usr/bin/zumbrel /usr/share/zumbrel/sh-hit1.wav /usr/share/zumbrel/sh-hit2.wav
  "/usr/share/applications/$app_id.desktop" "/usr/share/metainfo/$app_id.metainfo.xml")
for number in $(seq 25); do expected+=("/usr/share/zumbrel/bmp/$number.bmp"); done
for size in 16 32 48 64 128 256; do expected+=("/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png"); done
missing=()
for file in "${expected[@]}"; do
  grep -qxF "$file" "$work/contents" || missing+=("$file")
done
[ ${#missing[@]} -eq 0 ] || fail "missing from the package: ${missing[*]}"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for package in 'libqt6widgets6' 'libsdl2-mixer-2\.0-0' 'fonts-ipafont-gothic'; do
  grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends does not name $package"
done

packaged() { dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/share/$1"; }
path_value=$(packaged "applications/$app_id.desktop" | sed -n 's/^Path=//p')
[ "$path_value" = /usr/share/zumbrel ] || fail "packaged launcher has Path=$path_value"
# Software centres show the newest AppStream release as the installed version.
version=$(dpkg-deb -f "$deb" Version)
newest_release=$(packaged "metainfo/$app_id.metainfo.xml" | grep -m1 -o '<release version="[^"]*"' | cut -d'"' -f2)
[ "$newest_release" = "$version" ] || fail "metainfo's newest release is $newest_release, the package is $version"
echo "package contents, dependencies and launcher are as expected"
