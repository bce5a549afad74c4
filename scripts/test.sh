#!/bin/sh
# Set-up, build, and the whole test suite:
#  1. the normal build and every test program under CTest (widget tests on Qt's offscreen platform);
#  2. every test program once more with AddressSanitizer and UndefinedBehaviorSanitizer (the
#     windows, the 3D control and the exports on the offscreen platform too), at -O1 and without
#     debug information to keep the build short; a finding fails the test (tests/CMakeLists.txt);
#  3. the Debian package: built, installed on this machine (as root, or through sudo), and the
#     installed programs run (matrikon-calc computes, matrikon starts, matrikon-plot draws without a
#     display, all three answer --help and --version); its desktop entry and software centre entry
#     validated, its manual pages rendered without a warning.
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
# --help and --version answer on standard output, without a display and without a window.
for program in matrikon matrikon-calc matrikon-plot; do
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "/usr/bin/$program" --help | grep -q -- "--version"
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "/usr/bin/$program" --version | grep -qx "$program [0-9.]*"
done
# matrikon-plot draws a plane plot and a surface without a display.
plots=$(mktemp -d)
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/matrikon-plot 2d "sin(x)*x" -o "$plots/plot.svg"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/matrikon-plot 3d --grid 60x60 --bands -o "$plots/surface.pdf"
[ -s "$plots/plot.svg" ] && [ -s "$plots/surface.pdf" ]
rm -rf "$plots"
desktop-file-validate /usr/share/applications/org.example.matrikon.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.example.matrikon.metainfo.xml
# The manual pages are Russian in UTF-8: groff reads them through preconv (-k) and checks them
# for a terminal that has Cyrillic (-Tutf8); any warning fails the test.
for page in matrikon matrikon-calc matrikon-plot; do
  man -l "/usr/share/man/man1/$page.1" >/dev/null
  warnings=$(groff -k -Tutf8 -man -ww -z "/usr/share/man/man1/$page.1" 2>&1)
  if [ -n "$warnings" ]; then
    printf 'test: the manual page %s:\n%s\n' "$page" "$warnings" >&2
    exit 1
  fi
done
echo "test: the package installs and its programs run"
echo "test: all passed"
