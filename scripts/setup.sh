#!/bin/sh
# Installs, as root (or through sudo), the Debian packages that one use of the
# project needs; packages already installed are left alone. The same names serve
# Debian 12 and Debian 13.
#
#   scripts/setup.sh [run|test|screenshots|fuzz ...]      (default: run)
#
#   run          build and start the program: compiler, CMake, Ninja, Qt 6
#                (with its SVG module), QCustomPlot, zlib, Qt's translations, a
#                font and xdg-utils
#   test         run, plus GoogleTest, Google Benchmark, muParser (the engine
#                benchmark's comparison), the readers of the exported PDF, SVG
#                and ODF files, and the tools that build and check the Debian package
#                (its desktop entry, software centre entry and manual pages)
#   screenshots  run, plus Xvfb, xdotool and ImageMagick
#   fuzz         run, plus clang and the clang runtime of the installed clang
#   xvfb         only the virtual X display (for starting without a display)
set -eu

RUN="cmake ninja-build g++ pkg-config
qt6-base-dev qt6-svg-dev libqcustomplot-dev libgl-dev zlib1g-dev qt6-translations-l10n
fonts-dejavu-core xdg-utils"
TEST="libgtest-dev libgmock-dev libbenchmark-dev libmuparser-dev
poppler-utils librsvg2-bin unzip file dpkg-dev desktop-file-utils appstream
groff-base man-db"
XVFB="xvfb xauth"
SCREENSHOTS="$XVFB xdotool x11-utils imagemagick"

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
updated=""

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# Installs those of the named packages that are missing.
need() {
  missing=""
  for p in "$@"; do
    installed "$p" || missing="$missing $p"
  done
  [ -n "$missing" ] || return 0
  echo "setup: installing$missing"
  if [ -z "$updated" ]; then
    $SUDO apt-get update
    updated=1
  fi
  # shellcheck disable=SC2086
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
}

# clang's runtime (libFuzzer, the sanitizers) comes in a package named after
# clang's major version: take the one that matches the clang installed.
need_fuzz() {
  need clang
  major=$(clang -dumpversion | cut -d. -f1)
  need "libclang-rt-$major-dev"
}

[ $# -gt 0 ] || set -- run
pkgs=""
for what in "$@"; do
  case "$what" in
    run) pkgs="$pkgs $RUN" ;;
    test) pkgs="$pkgs $RUN $TEST" ;;
    screenshots) pkgs="$pkgs $RUN $SCREENSHOTS" ;;
    fuzz) pkgs="$pkgs $RUN" ;;
    xvfb) pkgs="$pkgs $XVFB" ;;
    *) echo "setup: unknown set '$what' (run, test, screenshots, fuzz, xvfb)" >&2; exit 2 ;;
  esac
done
# shellcheck disable=SC2086
need $pkgs
for what in "$@"; do
  [ "$what" != fuzz ] || need_fuzz
done
