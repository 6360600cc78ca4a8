#!/usr/bin/env bash
# Installs what is missing (Debian 12 packages), builds Nox, then either runs
# it ("run"), runs the whole test suite offscreen ("test"), or builds the
# Debian package nox_<version>_<arch>.deb in build-package/ ("package").
set -euo pipefail
mode=${1:-run}
here=$(cd "$(dirname "$0")/.." && pwd)
build=${NOX_BUILD_DIR:-$here/build}
case "$mode" in
  run | test | package) ;;
  *)
    echo "usage: $0 [run|test|package]" >&2
    exit 2
    ;;
esac

packages=(build-essential cmake ninja-build ccache pkg-config qt6-base-dev qt6-tools-dev qt6-l10n-tools
  qt6-multimedia-dev qt6-translations-l10n fonts-noto-cjk libfontconfig-dev libbenchmark-dev
  qt6-webengine-dev qt6-pdf-dev poppler-utils
  xvfb xauth xdotool openbox imagemagick trayer librsvg2-bin desktop-file-utils appstream dpkg-dev file
  python3-debian libical-dev python3-dateutil python3-icalendar)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Every later build of the same sources (another build folder, a fresh clone)
# comes out of ccache's cache; the build itself sets what ccache needs for the
# precompiled headers.
launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

if [ "$mode" = package ]; then
  # A release build for /usr without tests; CPack asks dpkg-shlibdeps for the
  # library dependencies.
  build=${NOX_PACKAGE_BUILD_DIR:-$here/build-package}
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DNOX_BUILD_TESTS=OFF -DNOX_BUILD_BENCH=OFF "${launcher[@]}"
  cmake --build "$build" -j"$(nproc)"
  rm -f "$build"/nox_*.deb
  (cd "$build" && cpack -G DEB)
  echo "Built: $(ls "$build"/nox_*.deb)"
  exit 0
fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
cmake --build "$build" -j"$(nproc)"

case "$mode" in
  run)
    exec "$build/bin/nox"
    ;;
  test)
    cd "$build"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
    ;;
esac
