#!/usr/bin/env bash
# Runs the README's test command in a fresh minimal Debian root of the given
# release, on a fresh clone of this repository, as a new user's machine would.
# With --source-package it then builds the Debian packages there as a plain
# user, as a Debian build root does, runs lintian on them and their autopkgtests.
#   .ci/fresh_debian.sh trixie [--source-package]
set -euo pipefail
release=$1 source_package=${2:-}
repo=$(cd "$(dirname "$0")/.." && pwd)

missing=()
for tool in debootstrap git; do command -v "$tool" >/dev/null || missing+=("$tool"); done
if ((${#missing[@]})); then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The mirror this machine is configured with.
mirror=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | grep -v security | head -n 1)
[ -n "$mirror" ] || mirror=$(awk '$1 == "deb" && $3 !~ /security/ { print $2; exit }' /etc/apt/sources.list)
[ -n "$mirror" ] || { echo "no Debian mirror configured" >&2; exit 1; }

root=$(mktemp -d "/var/tmp/zumbrel-$release.XXXXXX")
mounted=()
cleanup() {
  # Whatever the tests left running inside the root goes first, then its mounts.
  for proc in /proc/[0-9]*; do
    [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] && kill -9 "${proc#/proc/}" 2>/dev/null
  done
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"
  done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

echo "debootstrap $release from $mirror into $root"
debootstrap --variant=minbase "$release" "$root" "$mirror" >"$root.log" 2>&1 || { tail -n 20 "$root.log"; exit 1; }
rm -f "$root.log"
# A private root would stop anything the tests run as nobody.
chmod 755 "$root"
cp /etc/resolv.conf "$root/etc/resolv.conf"

mount_in() { mount "$@"; mounted+=("${!#}"); }
mount_in -t proc proc "$root/proc"
mount_in -t sysfs sysfs "$root/sys"
mount_in --bind /dev "$root/dev"
mount_in --bind /dev/pts "$root/dev/pts"
mount_in -t tmpfs tmpfs "$root/dev/shm"
mount_in -t tmpfs tmpfs "$root/tmp"

git clone -q "$repo" "$root/src"
in_root() {
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    CXXFLAGS="${CXXFLAGS:-}" /bin/bash -c "$1"
}
in_root 'cd /src && ./build.sh test'
[ "$source_package" = --source-package ] || exit 0
mkdir "$root/var/tmp/package"
git -C "$repo" archive --prefix=zumbrel/ HEAD | tar -C "$root/var/tmp/package" -x
in_root 'bash /src/.ci/source_package.sh /var/tmp/package/zumbrel'
