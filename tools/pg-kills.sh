#!/usr/bin/env bash
# Kills the PostgreSQL server (pg_ctl stop -m immediate, as a crash) while
# blastsearch imports into it, KILLS times (default 1000), starting it again
# after each kill, and checks the database each time: every result the
# import reported stored reads back as the same import into a folder shows
# it, and the database checks sound (nothing half-stored). The test suite
# runs the same check with 2 kills. Needs Debian's postgresql (the test
# starts its own private server on a Unix socket).
#   tools/pg-kills.sh [KILLS] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
kills=${1:-1000}
build=${2:-build-release}
if [[ ! -f $build/build.ninja ]]; then
  bash tools/install-deps.sh
  cmake -S . -B "$build" -G Ninja -DBLASTSEARCH_WERROR=ON >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target test_app blastsearch quillon_postgres
BLASTSEARCH_PG_KILLS=$kills exec "./$build/tests/test_app" \
  --gtest_filter='ServerFaults.ServerKilledDuringImport*'
