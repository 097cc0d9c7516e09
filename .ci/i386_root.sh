#!/usr/bin/env bash
# The unit and integration tests on 32-bit x86 in a fresh Debian 13 i386 root.
#   .ci/i386_root.sh
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/.ci/debian_root.sh"

make_root trixie i386
git clone -q "$repo" "$root/src"
in_root /bin/bash -c 'cd /src && ./build.sh deps \
  && cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
  && cmake --build build -j"$(nproc)" \
  && ctest --test-dir build --output-on-failure -L "unit|integration"'
