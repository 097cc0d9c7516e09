#!/usr/bin/env bash
# Run as root inside a fresh Debian root: installs the build dependencies of the
# source tree given, builds the source and binary packages from it as a plain
# user with no network, as a Debian build root does, runs lintian on the .dsc,
# the .changes and the .deb, and the package's autopkgtests against the result.
#   source_package.sh /var/tmp/package/zumbrel
set -euo pipefail
tree=$1
out=$(dirname "$tree")
export DEBIAN_FRONTEND=noninteractive

stage() {
  local name=$1 start=$SECONDS
  shift
  echo "--- $name"
  "$@"
  echo "--- $name: $((SECONDS - start)) s"
}

tools() { apt-get install -y -qq --no-install-recommends autopkgtest lintian >/dev/null; }
build_deps() { apt-get build-dep -y -qq "$tree" >/dev/null; }
# The build's output goes to a file; the log shows the suite's summary, which
# must say that it ran, and that it left out the tests that install packages
# and the Wayland legs.
build() {
  # Debian's flags with CI's -Werror after them, not in their place.
  if ! unshare --net runuser -u builder -- env -C "$tree" -u CXXFLAGS DEB_CXXFLAGS_APPEND="${CXXFLAGS:-}" \
    DEB_BUILD_OPTIONS="parallel=$(nproc)" \
    dpkg-buildpackage -us -uc >"$out/build.log" 2>&1; then
    tail -n 60 "$out/build.log"
    return 1
  fi
  sed -n '/tests passed/,/Total Test time/p' "$out/build.log"
  grep -q '100% tests passed' "$out/build.log" || { echo "FAIL: dh_auto_test ran no suite" >&2; return 1; }
  ! grep -Eq 'Test +#[0-9]+: (deb_package|installed_launcher|e2e_sway|e2e_weston|e2e_gnome[a-z0-9_]*|e2e_kde) ' "$out/build.log" \
    || { echo "FAIL: dh_auto_test ran the package tests or a Wayland leg" >&2; return 1; }
}
check() {
  runuser -u builder -- lintian --no-cfg --no-override --fail-on error,warning --display-info --pedantic \
    "$out"/zumbrel_*.dsc "$out"/zumbrel_*.changes "$out"/zumbrel_*.deb
}

id builder >/dev/null 2>&1 || useradd --create-home builder
chown -R builder: "$out"
stage "autopkgtest and lintian installed" tools
stage "build dependencies installed" build_deps
stage "dpkg-buildpackage as a plain user, no network" build
stage "lintian on the .dsc, .changes and .deb" check
stage "autopkgtest, null testbed" autopkgtest "$out"/zumbrel_*.changes -- null
