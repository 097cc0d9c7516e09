#!/usr/bin/env bash
# Runs the README's test command in a fresh minimal Debian root of the given
# release, on a fresh clone of this repository, as a new user's machine would.
# With --source-package it then builds the Debian packages there as a plain
# user, as a Debian build root does, runs lintian on them and their autopkgtests.
#   .ci/fresh_debian.sh trixie [--source-package]
set -euo pipefail
release=$1 source_package=${2:-}
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/.ci/debian_root.sh"

make_root "$release"
git clone -q "$repo" "$root/src"
in_root /bin/bash -c 'cd /src && ./build.sh test'
[ "$source_package" = --source-package ] || exit 0
mkdir "$root/var/tmp/package"
git -C "$repo" archive --prefix=zumbrel/ HEAD | tar -C "$root/var/tmp/package" -x
in_root /bin/bash -c 'bash /src/.ci/source_package.sh /var/tmp/package/zumbrel'
