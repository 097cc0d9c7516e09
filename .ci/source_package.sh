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
as_builder() { unshare --net runuser -u builder -- env -C "$tree" "$@"; }
check() {
  runuser -u builder -- lintian --no-cfg --no-override --fail-on error,warning --display-info --pedantic \
    "$out"/zumbrel_*.dsc "$out"/zumbrel_*.changes "$out"/zumbrel_*.deb
}

id builder >/dev/null 2>&1 || useradd --create-home builder
chown -R builder: "$out"
stage "autopkgtest and lintian installed" tools
stage "build dependencies installed" build_deps
stage "dpkg-buildpackage as a plain user, no network" \
  as_builder env DEB_BUILD_OPTIONS="parallel=$(nproc)" dpkg-buildpackage -us -uc
stage "lintian on the .dsc, .changes and .deb" check
stage "autopkgtest, null testbed" autopkgtest "$out"/zumbrel_*.changes -- null
