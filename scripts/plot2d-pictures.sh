#!/bin/sh
# Writes the pinned pictures of the plane plot (tests/windows/Plot2DPictureCases.h)
# into tests/windows/plot2d-pictures/, where plot2d_picture_tests compares the
# chart's pictures with them pixel for pixel. Run it only when a picture is
# meant to change, and look at the new files before committing them.
set -eu
cd "$(dirname "$0")/.."
[ -d build ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target plot2d-pictures
QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 build/bin/plot2d-pictures tests/windows/plot2d-pictures
