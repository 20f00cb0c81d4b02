#!/usr/bin/env bash
# Kills importing blastsearch processes with SIGKILL at random moments, KILLS
# times (default 10000), and checks the database after each kill: it opens,
# passes SQLite's integrity check, holds every result the import reported
# stored exactly as parse reads its file, and holds no half-stored result.
# The test suite runs the same check with 200 kills.
#   tools/crash-kills.sh [KILLS]
set -euo pipefail
cd "$(dirname "$0")/.."
kills=${1:-10000}
bash tools/install-deps.sh
cmake -S . -B build-release -G Ninja -DBLASTSEARCH_WERROR=ON >/dev/null
cmake --build build-release -j "$(nproc)" --target test_app blastsearch
BLASTSEARCH_CRASH_KILLS=$kills exec ./build-release/tests/test_app \
  --gtest_filter='ImportCrash.KilledImports*'
