#!/bin/sh
# Set-up, build, and the whole test suite:
#  1. the normal build and every test program under CTest (widget tests on Qt's offscreen platform);
#  2. every test program once more with AddressSanitizer and UndefinedBehaviorSanitizer (the
#     windows, the 3D control and the exports on the offscreen platform too), at -O1 and without
#     debug information to keep the build short; a finding fails the test (tests/CMakeLists.txt);
#  3. the Debian package: built, installed on this machine (as root, or through sudo), and the
#     installed programs run (matrikon-calc computes, matrikon starts); its desktop entry validated.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh test
./scripts/build.sh
ctest --test-dir build --output-on-failure -j"$(nproc)"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1" -DMATRIKON_SANITIZE=ON
cmake --build build-asan -j"$(nproc)"
ctest --test-dir build-asan --output-on-failure -j"$(nproc)"

rm -f build/matrikon_*.deb
(cd build && cpack -G DEB)
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
# --reinstall: a package of the same version left by an earlier run is replaced all the same.
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --reinstall ./build/matrikon_*.deb
calc=$(/usr/bin/matrikon-calc "2+3*4")
if ! printf '%s\n' "$calc" | grep -qx "value: 14"; then
  printf 'test: the installed matrikon-calc "2+3*4" printed:\n%s\n' "$calc" >&2
  exit 1
fi
# Still running after a few seconds: its libraries and plugins were found and the menu came up.
status=0
QT_QPA_PLATFORM=offscreen timeout 4 /usr/bin/matrikon >/dev/null 2>&1 || status=$?
if [ "$status" -ne 124 ]; then
  echo "test: the installed matrikon ended at once (exit status $status)" >&2
  exit 1
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate /usr/share/applications/matrikon.desktop
fi
echo "test: the package installs and its programs run"
echo "test: all passed"
