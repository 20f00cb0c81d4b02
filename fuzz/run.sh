#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of
# seconds (default 60): fuzz/run.sh [SECONDS] [TARGET...]
# Seeds: the real reports beside the project, transfer files made from them,
# and stored object records made from those; the report targets also get the
# readers' markers (fuzz/readers.dict).
# Inputs that crash, hang or leak are copied to tests/fuzz/crashers/<target>/,
# where the test program test_fuzz replays them in every test run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}; shift || true
targets=("$@"); [ ${#targets[@]} -gt 0 ] || targets=(qblast classic archive record blastplus_text blastjson blasttabular blastxml)
corpus=${BLASTSEARCH_CORPUS_DIR:-../shared/corpus}
bash tools/install-deps.sh
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DBLASTSEARCH_FUZZ=ON -DBLASTSEARCH_SANITIZE=ON \
  -DBLASTSEARCH_TESTS=OFF -DBLASTSEARCH_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j "$(nproc)"

work=fuzz/work
mkdir -p "$work/seeds/reports" "$work/seeds/archives" "$work/seeds/records"
find "$corpus" -type f ! -name README.md -exec cp -n {} "$work/seeds/reports/" \; 2>/dev/null || true
for report in "$work"/seeds/reports/*; do
  out="$work/seeds/archives/$(basename "$report").bqt"
  [ -f "$out" ] || ./build-fuzz/app/blastsearch parse "$report" --summary --save "$out" \
    >/dev/null 2>&1 || rm -f "$out"
done

./build-fuzz/fuzz/make_record_seeds "$work/seeds/records" "$work"/seeds/archives/*.bqt \
  >/dev/null 2>&1 || true

# The BLAST+ XML reports, each behind the mode byte that reads it (0: XML, 1: XML2).
mkdir -p "$work/seeds/blastxml"
for report in tests/data/blastplus/*.xml tests/data/blastplus/*.xml2; do
  mode='\000'; [ "${report##*.}" = xml2 ] && mode='\001'
  { printf "$mode"; cat "$report"; } >"$work/seeds/blastxml/$(basename "$report")"
done
# Documents one after the other, as old blastall wrote them.
{ printf '\000'; cat tests/data/blastplus/blastp.xml tests/data/blastplus/blastn.xml; } \
  >"$work/seeds/blastxml/concatenated.xml"

for target in "${targets[@]}"; do
  seeds="$work/seeds/reports"; [ "$target" = archive ] && seeds="$work/seeds/archives"
  [ "$target" = record ] && seeds="$work/seeds/records"
  [ "$target" = blastxml ] && seeds="$work/seeds/blastxml"
  # The readers' markers as a dictionary for the report targets.
  dict=(-dict=fuzz/readers.dict); { [ "$target" = archive ] || [ "$target" = record ]; } && dict=()
  # BLAST+ text: its own markers, and the BLAST+ reports of tests/data as further seeds.
  if [ "$target" = blastplus_text ]; then
    dict=(-dict=fuzz/blastplus_text.dict)
    mkdir -p "$work/seeds/blastplus"
    cp -n tests/data/blastplus/*.txt tests/data/blastplus/*.html "$work/seeds/blastplus/"
    seeds="$work/seeds/reports $work/seeds/blastplus"
  fi
  # The BLAST+ machine layouts: their own markers, seeded with the reports BLAST+ made.
  case $target in
    blastjson) dict=(-dict=fuzz/blastjson.dict); seeds="$work/seeds/$target"; mkdir -p "$seeds"
      cp -n tests/data/blastplus/*.json "$seeds/" ;;
    blasttabular) dict=(-dict=fuzz/blasttabular.dict); seeds="$work/seeds/$target"; mkdir -p "$seeds"
      cp -n tests/data/blastplus/*.tsv tests/data/blastplus/*.tab7 tests/data/blastplus/*.csv "$seeds/" ;;
  esac
  [ "$target" = blastxml ] && dict=(-dict=fuzz/blastxml.dict)
  mkdir -p "$work/$target" "$work/artifacts/$target" "tests/fuzz/crashers/$target"
  echo "== $target: $seconds s"
  set +e
  # shellcheck disable=SC2086 # $seeds may name two folders
  ./build-fuzz/fuzz/${target}_fuzz "$work/$target" $seeds -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=4096 -max_len=262144 -print_final_stats=1 "${dict[@]}" \
    -artifact_prefix="$work/artifacts/$target/" 2>&1 | tee "$work/$target.log" | \
    grep -E '^(#[0-9]+ +(DONE|INITED)|stat::|==[0-9]+==ERROR|SUMMARY)' || true
  set -e
  cp -n "$work/artifacts/$target"/* "tests/fuzz/crashers/$target/" 2>/dev/null || true
done
