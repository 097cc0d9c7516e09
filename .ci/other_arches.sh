#!/usr/bin/env bash
# The unit and integration tests on 32-bit x86 in a fresh Debian 13 i386 root,
# or an arm64 cross build in a fresh Debian 13 root whose generated files must
# match the checked-in sums byte for byte; qemu runs the generator and the unit
# tests there.
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
    git clone -q "$repo" "$root/src"
    in_root /bin/bash -c 'dpkg --add-architecture arm64 && apt-get update -qq \
      && apt-get install -y -qq --no-install-recommends cmake make pkgconf crossbuild-essential-arm64 qemu-user \
           qt6-base-dev:arm64 libsdl2-mixer-dev:arm64 libsdl2-dev:arm64 libasound2-dev:arm64 \
           libxcb-xkb-dev:arm64 fonts-ipafont-gothic file >/dev/null'
    # The generated files' test runs the generator as a child, which qemu does
    # not follow without binfmt on the host; the sums are checked here instead.
    in_root /bin/bash -c 'cd /src \
      && cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
           -DCMAKE_TOOLCHAIN_FILE=.ci/aarch64-linux-gnu.cmake \
      && cmake --build build -j"$(nproc)" \
      && file build/zumbrel | grep -q "ARM aarch64" \
      && (cd build && sha256sum --check --strict --quiet ../tests/tools/asset_sums.txt) \
      && ctest --test-dir build --output-on-failure -L unit'
    ;;
  *)
    echo "usage: $0 i386|arm64" >&2
    exit 2
    ;;
esac
