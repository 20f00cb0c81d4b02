#!/usr/bin/env bash
# Cuts the power under every kind of database change, CUTS times in all
# (default 100000): each change cut at each of its writes, syncs and
# truncations in turn, again and again with other choices of what the cut
# keeps of what was not synced (dropped, written, torn into 512-byte pieces,
# a few of them garbage). After each cut the database must open, pass check
# and hold every change reported done, each whole or not at all. The test
# suite makes one round of the same cuts (about 400).
#   tools/powercut.sh [CUTS] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
cuts=${1:-100000}
build=${2:-build-release}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DBLASTSEARCH_WERROR=ON >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target test_app blastsearch
start=$(date +%s)
BLASTSEARCH_POWER_CUTS=$cuts "./$build/tests/test_app" \
  --gtest_filter='PowerCut.EveryChangeCutAtEveryWriteIsWholeOrAbsent'
echo "powercut: $(( $(date +%s) - start )) s"
