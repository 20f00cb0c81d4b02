#!/usr/bin/env bash
# Builds blastsearch and runs it: with arguments, as given; without, it reads
# a real QBlast page of the corpus beside the project and shows the result
# (or shows --help when the corpus is absent).
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
  exec ./build-release/app/blastsearch parse "$report"
fi
exec ./build-release/app/blastsearch --help
