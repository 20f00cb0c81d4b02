#!/usr/bin/env bash
# Builds blastsearch and runs it: with arguments, as given; without, on a
# real report of the corpus beside the project (or --help when it is absent).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build-release -G Ninja >/dev/null
cmake --build build-release -j "$(nproc)" --target blastsearch
if [ $# -gt 0 ]; then
  exec ./build-release/app/blastsearch "$@"
fi
exec ./build-release/app/blastsearch --help
