#!/bin/sh
# Writes the pinned pictures of the 3D control (tests/graph3d/PictureCases.h)
# into tests/graph3d/pictures/, where graph3d_picture_tests compares the
# control's pictures with them pixel for pixel. Run it only when a picture
# is meant to change, and look at the new files before committing them.
set -eu
cd "$(dirname "$0")/.."
[ -d build ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target graph3d-pictures
QT_QPA_PLATFORM=offscreen build/bin/graph3d-pictures tests/graph3d/pictures
