#!/usr/bin/env bash
# Checks that no source file includes a file of a higher layer. Every code
# folder has a rank; a file may include headers of its own folder and of
# folders of lower rank only, and a folder without Qt never includes one with
# Qt. Tests, benchmarks and fuzz targets may include anything. Prints each
# arrow that goes up and exits 1 when there is one; 0 otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."

# folder rank qt: the layering from the bottom up (the same rank: neither
# includes the other).
read -r -d '' LAYERS <<'TABLE' || true
platform 0 0
host 1 0
host/db 2 0
host/editor 3 0
resources 4 0
model 5 0
parse 6 0
util 7 0
table 8 0
search 9 0
run 10 0
output 11 0
platform/qt 12 1
host/qt 13 1
controls 14 1
search/dialog 15 1
viewer 15 1
app 16 0
gui 16 1
TABLE

declare -A rank qt
while read -r folder r q; do
  rank[$folder]=$r
  qt[$folder]=$q
done <<<"$LAYERS"

status=0
while IFS= read -r file; do
  from=${file%/*}
  if [[ -z ${rank[$from]+x} ]]; then
    echo "$file: folder $from has no place in the layering (tools/check_layers.sh)"
    status=1
    continue
  fi
  while IFS= read -r header; do
    to=${header%/*}
    [[ $header == */* ]] || to=.
    [[ $to == "$from" || $to == . ]] && continue
    [[ -f $header ]] || continue  # a system or library header
    if [[ -z ${rank[$to]+x} ]] || ((rank[$to] >= rank[$from])) ||
      ((qt[$to] > qt[$from])); then
      echo "$file: includes $header ($from -> $to goes against the layering)"
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files '*.h' '*.cpp' | grep -Ev '^(tests|bench|fuzz)/')
exit $status
