#!/bin/sh
# Set-up, build, then start the program. Without a display it runs on a virtual one.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display found, starting on a virtual X display (xvfb-run)"
  exec xvfb-run -a build/bin/matrikon "$@"
fi
exec build/bin/matrikon "$@"
