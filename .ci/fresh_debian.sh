#!/usr/bin/env bash
# Runs the README's test command in a fresh minimal Debian root of the given
# release, on a fresh clone of this repository, as a new user's machine would.
# With --packages it then builds the Debian packages there as a plain user, as a
# Debian build root does, runs lintian on them and their autopkgtests, and
# cross-builds the arm64 package in the same root. With --sanitized it then
# runs the tests built with the sanitizers, and a minute of fuzzing.
#   .ci/fresh_debian.sh trixie [--packages | --sanitized]
set -euo pipefail
release=$1 then=${2:-}
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/.ci/debian_root.sh"

make_root "$release"
git clone -q "$repo" "$root/src"
in_root /bin/bash -c 'cd /src && ./build.sh test'
# Timings and memory that tests print but never assert, for a reader of the log.
grep -h '^QINFO' "$root/src/build/Testing/Temporary/LastTest.log" || true
if [ "$then" = --sanitized ]; then
  start=$SECONDS
  in_root bash /src/.ci/sanitized.sh
  echo "--- sanitized build and tests: $((SECONDS - start)) s"
  start=$SECONDS
  in_root bash /src/tests/fuzz/run_fuzz.sh 60
  echo "--- fuzzing the picture checks and the decoder behind them: $((SECONDS - start)) s"
fi
[ "$then" = --packages ] || exit 0
for tree in package cross; do
  mkdir "$root/var/tmp/$tree"
  git -C "$repo" archive --prefix=zumbrel/ HEAD | tar -C "$root/var/tmp/$tree" -x
done
in_root bash /src/.ci/source_package.sh /var/tmp/package/zumbrel
start=$SECONDS
in_root bash /src/.ci/cross_package.sh arm64 /var/tmp/cross/zumbrel
echo "--- arm64 cross package, its files against the sums, unit tests under qemu: $((SECONDS - start)) s"
