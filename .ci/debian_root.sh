# Sourced by CI's scripts: a fresh minimal Debian root with what a build in it
# needs mounted, removed with whatever still runs in it when the script exits.
#   make_root RELEASE [ARCH]   sets $root
#   in_root COMMAND...         runs COMMAND there with a clean environment

missing=()
for tool in debootstrap git; do command -v "$tool" >/dev/null || missing+=("$tool"); done
if ((${#missing[@]})); then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

root=
mounted=()
remove_root() {
  [ -n "$root" ] || return 0
  # Whatever the tests left running inside the root goes first, then its mounts.
  for proc in /proc/[0-9]*; do
    [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] && kill -9 "${proc#/proc/}" 2>/dev/null
  done
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"
  done
  rm -rf --one-file-system "$root"
  rm -f "$root.log"
}
trap remove_root EXIT
trap 'exit 130' INT TERM

make_root() {
  local release=$1 arch=${2:-}
  # The mirror this machine is configured with.
  local mirror
  mirror=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | grep -v security | head -n 1)
  [ -n "$mirror" ] || mirror=$(awk '$1 == "deb" && $3 !~ /security/ { print $2; exit }' /etc/apt/sources.list)
  [ -n "$mirror" ] || { echo "no Debian mirror configured" >&2; return 1; }

  root=$(mktemp -d "/var/tmp/zumbrel-$release${arch:+-$arch}.XXXXXX")
  echo "debootstrap $release${arch:+ ($arch)} from $mirror into $root"
  debootstrap --variant=minbase ${arch:+--arch="$arch"} "$release" "$root" "$mirror" >"$root.log" 2>&1 \
    || { tail -n 20 "$root.log"; return 1; }
  rm -f "$root.log"
  # A private root would stop anything the tests run as nobody.
  chmod 755 "$root"
  cp /etc/resolv.conf "$root/etc/resolv.conf"

  mount_in -t proc proc "$root/proc"
  mount_in -t sysfs sysfs "$root/sys"
  mount_in --bind /dev "$root/dev"
  mount_in --bind /dev/pts "$root/dev/pts"
  mount_in -t tmpfs tmpfs "$root/dev/shm"
  mount_in -t tmpfs tmpfs "$root/tmp"
}

mount_in() { mount "$@"; mounted+=("${!#}"); }

in_root() {
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive CXXFLAGS="${CXXFLAGS:-}" "$@"
}
