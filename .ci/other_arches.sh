#!/usr/bin/env bash
# The unit and integration tests on 32-bit x86 in a fresh Debian 13 i386 root,
# or the arm64 cross package built in a fresh Debian 13 root, whose generated
# files must match the checked-in sums byte for byte; qemu runs the generator
# and the unit tests there.
#   .ci/other_arches.sh i386|arm64
set -euo pipefail
leg=$1
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/.ci/debian_root.sh"

case "$leg" in
  i386)
    make_root trixie i386
    git clone -q "$repo" "$root/src"
    in_root /bin/bash -c 'cd /src && ./build.sh deps \
      && cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
      && cmake --build build -j"$(nproc)" \
      && ctest --test-dir build --output-on-failure -L "unit|integration"'
    ;;
  arm64)
    make_root trixie
    mkdir "$root/var/tmp/package"
    git -C "$repo" archive --prefix=zumbrel/ HEAD | tar -C "$root/var/tmp/package" -x
    in_root /bin/bash -c 'dpkg --add-architecture arm64 && apt-get update -qq \
      && apt-get install -y -qq --no-install-recommends crossbuild-essential-arm64 file >/dev/null \
      && apt-get build-dep -y -qq -a arm64 -Pcross,nocheck /var/tmp/package/zumbrel >/dev/null \
      && useradd --create-home builder && chown -R builder: /var/tmp/package'
    # As a Debian build root cross-builds it: a plain user, no network.
    in_root /bin/bash -c 'cd /var/tmp/package/zumbrel \
      && unshare --net runuser -u builder -- env DEB_BUILD_OPTIONS=parallel=$(nproc) \
           dpkg-buildpackage -a arm64 -Pcross,nocheck -us -uc -b >../build.log 2>&1 \
      || { tail -n 60 ../build.log; exit 1; }'
    # The generated files as the package installs them, under the names the
    # sums give them.
    in_root /bin/bash -c 'set -e; cd /var/tmp/package; dpkg-deb -x zumbrel_*_arm64.deb deb
      file deb/usr/games/zumbrel | grep -q "ARM aarch64"
      mkdir -p sums/icons && cp -r deb/usr/share/zumbrel sums/data
      for icon in deb/usr/share/icons/hicolor/*/apps/*.png; do
        size=${icon#deb/usr/share/icons/hicolor/}; cp "$icon" "sums/icons/zumbrel-${size%%x*}.png"
      done
      cd sums && sha256sum --check --strict --quiet ../zumbrel/tests/tools/asset_sums.txt'
    # The unit tests on top of the package build, under qemu too; the generated
    # files test runs the generator as a child, which qemu does not follow
    # without binfmt on the host, so the sums were checked above instead.
    in_root runuser -u builder -- /bin/bash -c 'set -e; cd /var/tmp/package/zumbrel/obj-aarch64-linux-gnu
      cmake -DBUILD_TESTING=ON . >/dev/null
      # Each test runs a target of its own name: those, not the whole suite.
      targets=$(ctest -L unit --show-only=json-v1 | grep -o "/[^\"]*_test\"" | sed "s|.*/||; s|\"||" | sort -u)
      cmake --build . -j"$(nproc)" --target $targets >/dev/null
      ctest --output-on-failure -L unit'
    ;;
  *)
    echo "usage: $0 i386|arm64" >&2
    exit 2
    ;;
esac
