#!/usr/bin/env bash
# Runs the README's test command in a fresh minimal Debian root of the given
# release, on a fresh clone of this repository, as a new user's machine would.
#   .ci/fresh_debian.sh trixie
set -euo pipefail
release=$1
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/.ci/debian_root.sh"

make_root "$release"
git clone -q "$repo" "$root/src"
in_root /bin/bash -c 'cd /src && ./build.sh test'
