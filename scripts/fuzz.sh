#!/bin/sh
# Builds the formula fuzz target with clang (AddressSanitizer, UndefinedBehaviorSanitizer,
# libFuzzer) into build-fuzz/ and runs it for RUNS inputs in all (default 10 million),
# split over JOBS processes (default 1; their logs are build-fuzz/fuzz-N.log).
# UBSAN_ONLY=1 leaves AddressSanitizer out (about three times as many inputs a
# second) and builds into build-fuzz-ubsan/.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh fuzz
RUNS="${1:-10000000}"
JOBS="${2:-1}"
if [ "${UBSAN_ONLY:-0}" = 1 ]; then
  DIR=build-fuzz-ubsan
  SANITIZE="-DMATRIKON_SANITIZE=OFF"
  export CXXFLAGS="-fsanitize=undefined -fno-sanitize-recover=undefined" LDFLAGS="-fsanitize=undefined"
else
  DIR=build-fuzz
  SANITIZE="-DMATRIKON_SANITIZE=ON"
fi
cmake -S . -B "$DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DMATRIKON_ENGINE_ONLY=ON -DMATRIKON_FUZZ=ON -DMATRIKON_BENCH=OFF "$SANITIZE"
cmake --build "$DIR" --target matrikon-formula-fuzz -j2
mkdir -p "$DIR/corpus"
cd "$DIR"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
if [ "$JOBS" -gt 1 ]; then
  exec ./bin/matrikon-formula-fuzz -jobs="$JOBS" -workers="$JOBS" -runs=$((RUNS / JOBS)) \
    -max_len=40 -print_final_stats=1 corpus
fi
exec ./bin/matrikon-formula-fuzz -runs="$RUNS" -max_len=40 -print_final_stats=1 corpus
