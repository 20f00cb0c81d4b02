#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour
# sanitizers) into build-fuzz and runs them, each for SECONDS (default 60):
#   fuzz/run.sh [SECONDS] [TARGET...]
# Cores: FUZZ_JOBS targets run at once (default: the machine's cores), each
# on one process, so every target gets one core for its SECONDS and the whole
# run takes SECONDS times the number of targets divided by FUZZ_JOBS.
# Seeds: the real reports beside the project and tests/data/blastplus, cut
# into small pieces by fuzz/cut_seeds.py (a report head, one hit, one
# alignment), transfer files and object records made from those, then
# minimised with -merge=1. Each target's corpus is kept between runs in
# <kept>/<target>.tar.xz: after a run, what the fuzzer added that the
# seeds do not already cover is merged (-merge=1) with the kept corpus, and
# packed again when it stays under FUZZ_CORPUS_KB (default 256) KiB packed.
# <kept> is fuzz/work/corpus (outside the repository) when the real reports
# beside the project seed the run: they may not be copied into the project,
# and a corpus grown from them holds pieces of them. With FUZZ_OWN_SEEDS=1 only
# the project's own reports (tests/data/blastplus) seed the run and <kept> is
# fuzz/corpus, which is committed.
# Inputs that crash, hang or leak are copied to tests/fuzz/crashers/<target>/,
# where test_fuzz replays them; a target that finds one starts again for the
# time left (at most five times).
# Prints one table: executions, per second of the clock and of processor
# time, coverage gained (edges and features from the start of the run to its
# end) and findings.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
all=(qblast classic layout archive record fields import blastplus_text blastxml blastjson
  blasttabular)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
jobs=${FUZZ_JOBS:-$(nproc)}
limit_kb=${FUZZ_CORPUS_KB:-256}
corpus=${BLASTSEARCH_CORPUS_DIR:-../shared/corpus}
kept=fuzz/corpus
if [ "${FUZZ_OWN_SEEDS:-0}" = 1 ]; then corpus=""; elif [ -d "$corpus" ]; then kept=fuzz/work/corpus; fi
work=fuzz/work

# The longest input of each target: its seeds fit, so that each run is short.
declare -A max_len=([qblast]=8192 [classic]=8192 [layout]=8192 [blastplus_text]=8192
  [blastxml]=8192 [blastjson]=8192 [blasttabular]=4096 [archive]=16384 [record]=16384
  [fields]=512 [import]=16384)
declare -A dict=([qblast]=readers [classic]=readers [layout]=readers
  [blastplus_text]=blastplus_text [blastxml]=blastxml [blastjson]=blastjson
  [blasttabular]=blasttabular)

bash tools/install-deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DBLASTSEARCH_FUZZ=ON \
  -DBLASTSEARCH_SANITIZE=ON -DBLASTSEARCH_TESTS=OFF -DBLASTSEARCH_BENCH=OFF \
  -DBLASTSEARCH_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
fuzzers=(blastsearch make_record_seeds)
for target in "${targets[@]}"; do fuzzers+=("${target}_fuzz"); done
cmake --build build-fuzz -j "$(nproc)" --target "${fuzzers[@]}"

# ---- seeds ----
rm -rf "$work/seeds"
mkdir -p "$work/seeds/reports" "$work/seeds/archive" "$work/seeds/record" "$work/seeds/fields"
reports=(tests/data/blastplus/*.{txt,html,xml,xml2,json,tsv,tab7,csv})
[ -n "$corpus" ] && [ -d "$corpus" ] && mapfile -t -O ${#reports[@]} reports < <(find "$corpus" -type f ! -name README.md)
python3 fuzz/cut_seeds.py "$work/seeds" 8192 "${reports[@]}"
# Transfer files of the report pieces, and object records of those.
for piece in "$work"/seeds/qblast/* "$work"/seeds/blastjson/* "$work"/seeds/blasttabular/*; do
  ./build-fuzz/app/blastsearch parse "$piece" --summary --save "$work/seeds/archive/$(basename "$piece")" \
    >/dev/null 2>&1 || rm -f "$work/seeds/archive/$(basename "$piece")"
done
./build-fuzz/fuzz/make_record_seeds "$work/seeds/record" "$work"/seeds/archive/* >/dev/null 2>&1 || true
mkdir -p "$work/seeds/import"
for record in "$work"/seeds/record/*; do
  { printf '\000'; cat "$record"; } >"$work/seeds/import/$(basename "$record")"
done
# One seed of each field of a record (the first byte chooses the field).
field_texts=("seed" "1700000000" "42" "3" "1" "Ada\tAnalytical\tada@example.org\t1700000000"
  "Charles" "a\\tdescription\\n" "keyword" "Lab\tA\tB" "" "later")
for i in "${!field_texts[@]}"; do
  { printf "\\$(printf %03o "$i")"; printf '%b' "${field_texts[$i]}"; } >"$work/seeds/fields/$i"
done

# ---- one target ----
stat_of() { { grep -h "^stat::$1:" "$2" || true; } | awk '{s += $2} END {print s + 0}'; }
run_target() {
  local target=$1 dir="$work/$1" fuzzer="./build-fuzz/fuzz/$1_fuzz"
  local options=(-max_len="${max_len[$target]}" -timeout=10 -rss_limit_mb=2048
    -malloc_limit_mb=1024 -print_final_stats=1 -artifact_prefix="$dir/artifacts/")
  [ -n "${dict[$target]:-}" ] && options+=(-dict="fuzz/${dict[$target]}.dict")
  rm -rf "$dir"
  mkdir -p "$dir/kept" "$dir/seeds" "$dir/new" "$dir/artifacts" "tests/fuzz/crashers/$target"
  [ -f "$kept/$target.tar.xz" ] && tar -xJf "$kept/$target.tar.xz" -C "$dir/kept"
  "$fuzzer" -merge=1 "${options[@]}" "$dir/seeds" "$work/seeds/$target" >"$dir/seeds.log" 2>&1 || true
  local start=$SECONDS left=$seconds restarts=0
  : >"$dir/fuzz.log"
  : >"$dir/cpu"
  local TIMEFORMAT='%U %S'
  while [ "$left" -gt 0 ] && [ "$restarts" -le 5 ]; do
    if { time "$fuzzer" "${options[@]}" -max_total_time="$left" "$dir/new" "$dir/kept" \
      "$dir/seeds" >>"$dir/fuzz.log" 2>&1; } 2>>"$dir/cpu"; then break; fi
    restarts=$((restarts + 1))
    left=$((seconds - (SECONDS - start)))
  done
  local elapsed=$((SECONDS - start))
  cp -n "$dir"/artifacts/* "tests/fuzz/crashers/$target/" 2>/dev/null || true
  # Keep what the run added beyond the seeds: merged into the seeds' copy, which is dropped after.
  mkdir -p "$dir/merged"
  for seed in "$dir"/seeds/*; do [ -e "$seed" ] && cp "$seed" "$dir/merged/seed-$(basename "$seed")"; done
  "$fuzzer" -merge=1 "${options[@]}" "$dir/merged" "$dir/kept" "$dir/new" >"$dir/merge.log" 2>&1 || true
  rm -f "$dir"/merged/seed-*
  local packed="$dir/corpus.tar.xz"
  tar --sort=name --mtime=@0 --owner=0 --group=0 --numeric-owner -cJf "$packed" -C "$dir/merged" .
  if [ "$(($(stat -c %s "$packed") / 1024))" -le "$limit_kb" ]; then
    cp "$packed" "$kept/$target.tar.xz"
  else
    echo "$target: corpus over ${limit_kb} KiB packed; the kept corpus is unchanged" >&2
  fi
  local execs first last cpu
  execs=$(stat_of number_of_executed_units "$dir/fuzz.log")
  first=$({ grep -m1 -o 'INITED cov: [0-9]* ft: [0-9]*' "$dir/fuzz.log" || true; } | awk '{print $3, $5}')
  last=$({ grep -o 'cov: [0-9]* ft: [0-9]*' "$dir/fuzz.log" || true; } | tail -1 | awk '{print $2, $4}')
  cpu=$(awk '{s += $1 + $2} END {printf "%d", s < 1 ? 1 : s}' "$dir/cpu")
  echo "$target $execs $elapsed $cpu ${first:-0 0} ${last:-0 0}" \
    "$(find "$dir/artifacts" -type f | wc -l)" >"$dir/summary"
}

mkdir -p "$kept"
echo "fuzzing ${targets[*]}: $seconds s each, $jobs at a time (load average $(cut -d' ' -f1-3 /proc/loadavg))"
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_target "$target" &
done
wait

# Per second of the clock, and per second of processor time the target had
# (which does not depend on what else runs on the machine).
printf '%-15s %12s %8s %8s %15s %17s %8s\n' target executions 'per s' 'per cpu' \
  'edges (gain)' 'features (gain)' findings
for target in "${targets[@]}"; do
  read -r name execs elapsed cpu cov0 ft0 cov1 ft1 found <"$work/$target/summary"
  printf '%-15s %12s %8s %8s %7s (+%5s) %8s (+%6s) %8s\n' "$name" "$execs" \
    "$((execs / (elapsed > 0 ? elapsed : 1)))" "$((execs / cpu))" "$cov1" "$((cov1 - cov0))" \
    "$ft1" "$((ft1 - ft0))" "$found"
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
