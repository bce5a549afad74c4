#!/bin/sh
# Set-up, build, and the whole test suite:
#  1. the normal build and every test program under CTest (widget tests on Qt's offscreen platform);
#  2. the formula engine and its tests once more with AddressSanitizer and UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh
ctest --test-dir build --output-on-failure -j"$(nproc)"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DMATRIKON_ENGINE_ONLY=ON -DMATRIKON_SANITIZE=ON -DCMAKE_CXX_FLAGS="-O1"
cmake --build build-asan -j"$(nproc)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
echo "test: all passed"
