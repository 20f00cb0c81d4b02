#!/bin/bash
# Compares what two builds of blastsearch make of the same reports: `parse`
# (readable report), `parse --json` and `parse --summary` of every report in
# tests/data/blastplus and the corpus, output and exit status together.
#   bench/compare_parse_output.sh OLD_PROGRAM NEW_PROGRAM [MORE_REPORTS...]
# Prints each report and mode whose output differs; exits 1 when one does.
set -u
if [ $# -lt 2 ]; then
  echo "usage: $0 OLD_PROGRAM NEW_PROGRAM [MORE_REPORTS...]" >&2
  exit 2
fi
old=$1
new=$2
shift 2
source_dir=$(cd "$(dirname "$0")/.." && pwd)
corpus=${BLASTSEARCH_CORPUS:-$source_dir/../shared/corpus}
reports=("$source_dir"/tests/data/blastplus/*)
if [ -d "$corpus" ]; then
  while IFS= read -r -d '' file; do reports+=("$file"); done \
    < <(find "$corpus" -type f ! -name README.md -print0)
fi
reports+=("$@")
runs=0
differ=0
for report in "${reports[@]}"; do
  for mode in "" --json --summary; do
    before=$("$old" parse "$report" $mode 2>&1; echo "exit $?")
    after=$("$new" parse "$report" $mode 2>&1; echo "exit $?")
    runs=$((runs + 1))
    if [ "$before" != "$after" ]; then
      echo "differs: $report ${mode:-(report)}"
      differ=$((differ + 1))
    fi
  done
done
echo "$runs runs compared, $differ differ"
[ "$differ" -eq 0 ]
