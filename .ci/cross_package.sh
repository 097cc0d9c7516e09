#!/usr/bin/env bash
# Run as root inside a Debian root: cross-builds the binary package of the
# source tree given for another architecture, as a Debian build root does (a
# plain user, no network), checks that its generated files match the checked-in
# sums byte for byte, and runs the unit tests of that build under qemu.
#   cross_package.sh i386 /var/tmp/cross/zumbrel
set -euo pipefail
arch=$1 tree=$2
out=$(dirname "$tree")
export DEBIAN_FRONTEND=noninteractive

dpkg --add-architecture "$arch"
apt-get update -qq
apt-get install -y -qq --no-install-recommends "crossbuild-essential-$arch" file >/dev/null
apt-get build-dep -y -qq -a "$arch" -Pcross,nocheck "$tree" >/dev/null
id builder >/dev/null 2>&1 || useradd --create-home builder
chown -R builder: "$out"

(cd "$tree" && unshare --net runuser -u builder -- env DEB_BUILD_OPTIONS="parallel=$(nproc)" \
  dpkg-buildpackage -a "$arch" -Pcross,nocheck -us -uc -b >"$out/build.log" 2>&1) \
  || { tail -n 60 "$out/build.log"; exit 1; }

# The generated files as the package installs them, under the names the sums
# give them.
cd "$out"
dpkg-deb -x zumbrel_*_"$arch".deb deb
declare -A machine=([arm64]="ARM aarch64" [i386]="Intel (80386|i386)")
file deb/usr/lib/games/zumbrel/zumbrel | grep -Eq "${machine[$arch]:?no machine name known for $arch}"
mkdir -p sums/icons && cp -r deb/usr/share/games/zumbrel sums/data
for icon in deb/usr/share/icons/hicolor/*/apps/*.png; do
  size=${icon#deb/usr/share/icons/hicolor/}
  cp "$icon" "sums/icons/zumbrel-${size%%x*}.png"
done
(cd sums && sha256sum --check --strict --quiet "$tree/tests/tools/asset_sums.txt")

# The unit tests on top of the package build, under qemu too; the generated
# files test runs the generator as a child, which qemu does not follow without
# binfmt on the host, so the sums were checked above instead.
# The test kit, which the nocheck profile left out, for the unit tests' configure.
apt-get install -y -qq --no-install-recommends libxcb-xtest0-dev:"$arch" libxcb-damage0-dev:"$arch" \
  libxkbcommon-dev:"$arch" >/dev/null
runuser -u builder -- /bin/bash -c 'set -e; cd "$1"/obj-*-linux-gnu*
  cmake -DBUILD_TESTING=ON . >/dev/null
  # Each test runs a target of its own name: those, not the whole suite.
  targets=$(ctest -L unit --show-only=json-v1 | grep -o "/[^\"]*_test\"" | sed "s|.*/||; s|\"||" | sort -u)
  cmake --build . -j"$(nproc)" --target $targets >/dev/null
  ctest --output-on-failure -L unit' - "$tree"
