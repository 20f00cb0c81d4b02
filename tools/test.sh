#!/usr/bin/env bash
# Builds the project three times (normal; without Qt, as a headless machine
# builds it; with address and undefined-behaviour sanitizers) and runs every
# test in each build.
set -euo pipefail
cd "$(dirname "$0")/.."
# Each stage says how long it took (the CI log's figures).
stage_start=$SECONDS
stage() {
  echo "== time: $1 $((SECONDS - stage_start)) s"
  stage_start=$SECONDS
}
bash tools/install-deps.sh
stage install
bash tools/check_layers.sh
jobs=$(nproc)
# A compiler cache of this tree's own: the build without Qt compiles the same
# sources as the normal build with the same options, so only the tests that
# name their build folder are compiled anew.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_DIR=$PWD/build-ccache CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
fi
for kind in release noqt asan; do
  dir=build-$kind
  extra=()
  case $kind in
    noqt) extra=(-DBLASTSEARCH_GUI=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON) ;;
    asan) extra=(-DBLASTSEARCH_SANITIZE=ON -DBLASTSEARCH_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug) ;;
  esac
  cmake -S . -B "$dir" -G Ninja -DBLASTSEARCH_WERROR=ON "${launcher[@]}" "${extra[@]}" >/dev/null
  stage "configure ($kind)"
  cmake --build "$dir" -j "$jobs"
  stage "build ($kind)"
  tools/check_odr.sh "$dir"
  echo "== tests ($kind)"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
  stage "tests ($kind)"
done
