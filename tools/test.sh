#!/usr/bin/env bash
# Builds the project twice (normal, and with address and undefined-behaviour
# sanitizers) and runs every test in both builds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
jobs=$(nproc)
for kind in release asan; do
  dir=build-$kind
  extra=()
  [ "$kind" = asan ] && extra=(-DBLASTSEARCH_SANITIZE=ON -DBLASTSEARCH_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
  cmake -S . -B "$dir" -G Ninja -DBLASTSEARCH_WERROR=ON "${extra[@]}" >/dev/null
  cmake --build "$dir" -j "$jobs"
  echo "== tests ($kind)"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
done
