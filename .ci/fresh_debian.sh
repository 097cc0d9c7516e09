#!/usr/bin/env bash
# Runs the README's test command in a fresh minimal Debian root of the given
# release, on a fresh clone of this repository, as a new user's machine would.
# With --packages it then builds the Debian packages there as a plain user, as a
# Debian build root does, runs lintian on them and their autopkgtests, and
# cross-builds the arm64 package in the same root.
#   .ci/fresh_debian.sh trixie [--packages]
set -euo pipefail
release=$1 packages=${2:-}
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/.ci/debian_root.sh"

make_root "$release"
git clone -q "$repo" "$root/src"
in_root /bin/bash -c 'cd /src && ./build.sh test'
[ "$packages" = --packages ] || exit 0
for tree in package cross; do
  mkdir "$root/var/tmp/$tree"
  git -C "$repo" archive --prefix=zumbrel/ HEAD | tar -C "$root/var/tmp/$tree" -x
done
in_root bash /src/.ci/source_package.sh /var/tmp/package/zumbrel
start=$SECONDS
in_root bash /src/.ci/cross_package.sh arm64 /var/tmp/cross/zumbrel
echo "--- arm64 cross package, its files against the sums, unit tests under qemu: $((SECONDS - start)) s"
