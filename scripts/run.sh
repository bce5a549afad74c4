#!/bin/sh
# Set-up, build, then start the program. Without a display it runs on a virtual one.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh run
./scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display found, starting on a virtual X display (xvfb-run)"
  ./scripts/setup.sh xvfb
  exec xvfb-run -a build/bin/matrikon "$@"
fi
exec build/bin/matrikon "$@"
