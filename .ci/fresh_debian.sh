#!/usr/bin/env bash
# Runs the README's test command in a fresh minimal Debian root of the given
# release, on a fresh clone of this repository, as a new user's machine would.
# With --packages it then builds the Debian packages there as a plain user, as a
# Debian build root does, runs lintian on them and their autopkgtests, and
# cross-builds the i386 package in the same root. With --sanitized it then
# runs the tests built with the sanitizers, and a minute of fuzzing.
#   .ci/fresh_debian.sh trixie [--packages | --sanitized]
# Two of these run side by side. Whatever runs tests holds a lock alone, and
# building and fuzzing share it, so no test shares the machine with the other
# root's work: a niced build beside them was seen to cost a round its hits'
# sounds. Installing takes no lock, and all but the tests is niced.
set -euo pipefail
release=$1 then=${2:-}
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/.ci/debian_root.sh"

renice -n 15 -p $$ >/dev/null
lock=/var/tmp/zumbrel-ci-tests.lock
# A daemon a test leaves behind must not keep the lock: fd 9 is closed for the command.
alone() (
  exec 9>>"$lock"
  flock 9
  renice -n 0 -p "$BASHPID" >/dev/null
  "$@" 9>&-
)
beside() (
  exec 9>>"$lock"
  flock -s 9
  "$@" 9>&-
)

make_root "$release"
git clone -q "$repo" "$root/src"
in_root /bin/bash -c 'cd /src && ./build.sh deps'
beside in_root /bin/bash -c 'cd /src && ./build.sh tests-built'
if [ "$then" = --packages ]; then
  # The package stage below builds, lints, installs and tests the package.
  alone in_root /bin/bash -c 'cd /src && ./build.sh test -E "^deb_package$"'
else
  alone in_root /bin/bash -c 'cd /src && ./build.sh test'
fi
# Timings and memory that tests print but never assert, for a reader of the log.
grep -h '^QINFO' "$root/src/build/Testing/Temporary/LastTest.log" || true
if [ "$then" = --sanitized ]; then
  start=$SECONDS
  beside in_root bash /src/.ci/sanitized.sh build
  alone in_root bash /src/.ci/sanitized.sh test
  echo "--- sanitized build and tests: $((SECONDS - start)) s"
  start=$SECONDS
  beside in_root bash /src/tests/fuzz/run_fuzz.sh 60
  echo "--- fuzzing the picture checks and the decoder behind them: $((SECONDS - start)) s"
fi
[ "$then" = --packages ] || exit 0
for tree in package cross; do
  mkdir "$root/var/tmp/$tree"
  git -C "$repo" archive --prefix=zumbrel/ HEAD | tar -C "$root/var/tmp/$tree" -x
done
alone in_root bash /src/.ci/source_package.sh /var/tmp/package/zumbrel
start=$SECONDS
beside in_root bash /src/.ci/cross_package.sh i386 /var/tmp/cross/zumbrel
echo "--- i386 cross package, its files against the sums, unit tests under qemu: $((SECONDS - start)) s"
