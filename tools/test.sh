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
bash tools/install-deps.sh --no-fuzz
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
# The test programs of the build without Qt whose object files are byte for
# byte those of the normal build (ccache gave them back unchanged), when the
# libraries' are too: they are the same machine code run over the same data,
# so their tests are not run again; the labels ctest should leave out, as a
# regular expression, empty when every test must run. Always run again: the
# command line's tests (the program looks for the window program in the build
# tree) and the module tests (built without the window library), and every
# test not of a program (the checks of what links Qt).
same_without_qt() {
  local release=build-release noqt=build-noqt object program same=() differs objects
  while IFS= read -r object; do
    cmp -s "$object" "$release/${object#"$noqt"/}" || return 0
  done < <(find "$noqt" -name '*.o' -not -path "$noqt/tests/CMakeFiles/test_*" \
           -not -path "$noqt/bench/*" -not -path "$noqt/CMakeFiles/[0-9]*")
  for program in "$noqt"/tests/CMakeFiles/test_*.dir; do
    program=$(basename "$program" .dir)
    case $program in test_app | test_module) continue ;; esac
    differs=0 objects=0
    while IFS= read -r object; do
      objects=$((objects + 1))
      cmp -s "$object" "$release/${object#"$noqt"/}" || differs=1
    done < <(find "$noqt/tests/CMakeFiles/$program.dir" -name '*.o')
    if [ "$differs" -eq 0 ] && [ "$objects" -gt 0 ]; then same+=("$program"); fi
  done
  [ ${#same[@]} -eq 0 ] && return 0
  local IFS='|'
  echo "^(${same[*]})\$"
}
for kind in release noqt asan; do
  dir=build-$kind
  extra=()
  case $kind in
    noqt) extra=(-DBLASTSEARCH_GUI=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON) ;;
    # At -O0: with the sanitizers, -O1 compiles the library sources two to
    # three times slower, more than the tests would win back.
    asan) extra=(-DBLASTSEARCH_SANITIZE=ON -DBLASTSEARCH_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug) ;;
  esac
  cmake -S . -B "$dir" -G Ninja -DBLASTSEARCH_WERROR=ON "${launcher[@]}" "${extra[@]}" >/dev/null
  stage "configure ($kind)"
  cmake --build "$dir" -j "$jobs"
  stage "build ($kind)"
  tools/check_odr.sh "$dir"
  skip=()
  if [ "$kind" = noqt ]; then
    labels=$(same_without_qt)
    if [ -n "$labels" ]; then
      echo "== not run again without Qt (the same objects as the normal build): $labels"
      skip=(-LE "$labels")
    fi
  fi
  # The longest tests first, as the normal build's run timed them, so that
  # no long test starts last.
  if [ "$kind" != release ] && [ -f build-release/Testing/Temporary/CTestCostData.txt ]; then
    mkdir -p "$dir/Testing/Temporary"
    cp build-release/Testing/Temporary/CTestCostData.txt "$dir/Testing/Temporary/"
  fi
  echo "== tests ($kind)"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" "${skip[@]}"
  stage "tests ($kind)"
done
