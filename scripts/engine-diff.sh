#!/bin/sh
# Compares what two versions of the formula engine make of the same formulas:
# the engine of git revision REF (default main) and the engine of this
# worktree. Both are built into build-diff/ with a driver that writes, for
# every formula, the compile's result, messages and tables and four
# evaluations (tests/engine/Formula_corpus.h), and the two texts must be
# equal byte for byte.
#   scripts/engine-diff.sh [REF] [COUNT] [SEEDS] [LONG_SIZES]
# COUNT generated formulas for each seed in SEEDS (default 100000, "1 2"),
# then the long texts of each size in LONG_SIZES (default "1024 16384"; the
# engine of an older revision may need minutes for sizes far beyond that).
set -eu
cd "$(dirname "$0")/.."
REF="${1:-main}"
COUNT="${2:-100000}"
SEEDS="${3:-1 2}"
LONG_SIZES="${4:-1024 16384}"
DIR=build-diff
CXX="${CXX:-g++}"
FLAGS="-std=c++20 -O2 -fno-fast-math -w"

rm -rf "$DIR/ref" && mkdir -p "$DIR/ref"
git archive "$REF" engine | tar -x -C "$DIR/ref"
build() {  # engine-folder driver-name
  $CXX $FLAGS -I"$1/.." -I"$1" -I. -o "$DIR/$2" scripts/engine_diff_driver.cpp "$1"/*.cpp -lm
}
build "$DIR/ref/engine" driver-ref &
build engine driver-new
wait

status=0
compare() {  # label args...
  label="$1"
  shift
  "$DIR/driver-ref" "$@" >"$DIR/ref.txt"
  "$DIR/driver-new" "$@" >"$DIR/new.txt"
  if cmp -s "$DIR/ref.txt" "$DIR/new.txt"; then
    echo "$label: same ($(grep -c '^F ' "$DIR/new.txt") formulas, $(wc -c <"$DIR/new.txt") bytes)"
  else
    echo "$label: DIFFERENT"
    diff "$DIR/ref.txt" "$DIR/new.txt" | head -40
    status=1
  fi
}
for seed in $SEEDS; do
  compare "seed $seed" "$seed" "$COUNT"
done
for size in $LONG_SIZES; do
  compare "long texts of $size" --long "$size"
done
exit $status
