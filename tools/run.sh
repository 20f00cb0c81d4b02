#!/usr/bin/env bash
# Builds blastsearch and runs it: with arguments, as given; without, it
# imports a real QBlast page of the corpus beside the project into a scratch
# database and lists it (or shows --help when the corpus is absent).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build-release -G Ninja >/dev/null
cmake --build build-release -j "$(nproc)" --target blastsearch
if [ $# -gt 0 ]; then
  exec ./build-release/app/blastsearch "$@"
fi
report=${BLASTSEARCH_CORPUS_DIR:-../shared/corpus}/html-qblast/bt070.html
if [ -f "$report" ]; then
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  ./build-release/app/blastsearch --db "$scratch" import "$report"
  ./build-release/app/blastsearch --db "$scratch" list
  exit
fi
exec ./build-release/app/blastsearch --help
