#!/usr/bin/env bash
# Builds blastsearch and runs it: with arguments, as given; without, it
# imports a real QBlast page of the corpus beside the project into a scratch
# database and lists it (or shows --help when the corpus is absent).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
# A build folder of its own with only what the command line needs: no
# windows (no Qt), no tests, no benchmarks.
dir=build-run
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$dir" -G Ninja -DBLASTSEARCH_GUI=OFF -DBLASTSEARCH_TESTS=OFF \
  -DBLASTSEARCH_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)" --target blastsearch
program=./$dir/app/blastsearch
if [ $# -gt 0 ]; then
  exec "$program" "$@"
fi
report=${BLASTSEARCH_CORPUS_DIR:-../shared/corpus}/html-qblast/bt070.html
if [ -f "$report" ]; then
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  "$program" --db "$scratch" import "$report"
  "$program" --db "$scratch" list
  exit
fi
exec "$program" --help
