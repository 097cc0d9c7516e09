#!/usr/bin/env bash
# Sets up a Debian 13 or 12 machine for Zumbrel, builds it into build/, then plays or tests.
#   ./build.sh play   build the game alone and start it
#   ./build.sh test   build the game, its tests and benchmarks, and run the whole test suite
#                     (ctest's options after it, such as -L unit, run part of it)
#   ./build.sh deps   only install what the two above use
#   ./build.sh tests-built   install and build what test runs, without running it
#   ./build.sh screenshot   remake docs/screenshot.png from the game as built
set -euo pipefail
cd "$(dirname "$0")"

play_packages=(
  cmake g++ make pkgconf
  qt6-base-dev qt6-wayland libsdl2-mixer-dev libsdl2-dev libasound2-dev libxcb-xkb-dev
  fonts-ipafont-gothic
)
test_packages=(
  xvfb xfwm4 libxcb-xtest0-dev libxcb-damage0-dev libxkbcommon-dev
  sway weston
  build-essential dpkg-dev debhelper desktop-file-utils appstream libglib2.0-bin lintian
  pulseaudio pulseaudio-utils pipewire pipewire-bin pipewire-pulse wireplumber dbus-daemon
)
# The GNOME and KDE Plasma legs of the end-to-end tests, on the release whose desktops they are.
if grep -q '^VERSION_CODENAME=trixie' /etc/os-release 2>/dev/null; then
  test_packages+=(gnome-shell kwin-wayland kwin-style-breeze)
fi

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

build() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build build -j"$(nproc)"
}

case "${1:-}" in
  play)
    install_missing "${play_packages[@]}"
    build -DBUILD_TESTING=OFF -DZUMBREL_BENCHMARKS=OFF
    cd build/data && exec ../zumbrel
    ;;
  deps)
    install_missing "${play_packages[@]}" "${test_packages[@]}"
    ;;
  screenshot)
    install_missing "${play_packages[@]}" xvfb libxcb-xtest0-dev libxcb-damage0-dev libxkbcommon-dev
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
    cmake --build build -j"$(nproc)" --target zumbrel zumbrel_sound_module zumbrel_assets zumbrel_x_window
    tools/screenshot.sh build/zumbrel build/data docs/screenshot.png build/tests/support/zumbrel_x_window
    ;;
  tests-built | test)
    install_missing "${play_packages[@]}" "${test_packages[@]}"
    build -DBUILD_TESTING=ON -DZUMBREL_BENCHMARKS=ON
    [ "$1" = test ] || exit 0
    shift
    # A desktop's platform theme would change the fonts and colours the tests
    # compare with; each desktop leg names its own.
    env -u XDG_CURRENT_DESKTOP ctest --test-dir build --output-on-failure "$@"
    ;;
  *)
    echo "usage: $0 play|test [CTEST OPTIONS]|deps|tests-built|screenshot" >&2
    exit 2
    ;;
esac
