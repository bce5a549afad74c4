#!/bin/sh
# Builds the formula fuzz target with clang (AddressSanitizer, UndefinedBehaviorSanitizer,
# libFuzzer) into build-fuzz/ and runs it for RUNS inputs (default 10 million).
set -eu
cd "$(dirname "$0")/.."
RUNS="${1:-10000000}"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DMATRIKON_ENGINE_ONLY=ON -DMATRIKON_SANITIZE=ON -DMATRIKON_FUZZ=ON -DMATRIKON_BENCH=OFF
cmake --build build-fuzz --target matrikon-formula-fuzz -j2
mkdir -p build-fuzz/corpus
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1 \
  build-fuzz/bin/matrikon-formula-fuzz -runs="$RUNS" -max_len=40 -print_final_stats=1 build-fuzz/corpus
