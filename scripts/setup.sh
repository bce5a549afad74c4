#!/bin/sh
# Installs what the build, the tests and the screenshots need, on Debian 12, as root.
# Only packages that are missing are installed; a machine that has them all is left alone.
set -eu
PKGS="cmake ninja-build g++ pkg-config git
qt6-base-dev libqcustomplot-dev libgl-dev zlib1g-dev qt6-translations-l10n
libgtest-dev libgmock-dev libbenchmark-dev libmuparser-dev
clang libclang-rt-14-dev
xvfb xauth xdotool x11-utils fonts-dejavu-core
poppler-utils imagemagick unzip file dpkg-dev desktop-file-utils"
missing=""
for p in $PKGS; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
if [ -n "$missing" ]; then
  echo "setup: installing$missing"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
fi
