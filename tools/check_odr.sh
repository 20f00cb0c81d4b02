#!/usr/bin/env bash
# Fails when one name is defined twice where the dynamic linker would pick
# one of the definitions for everybody: two of a build's shared libraries
# export the same global (non-weak) name, or a program defines a global name
# that a library exports. Such a program or library silently replaces the
# other's function or data.
#
#   tools/check_odr.sh [BUILD_DIR]      (default: build)
#
# Prints each doubly defined name with the files that define it; exit status
# 0 when there is none, 1 when there are, 2 when the build folder holds no
# library.
set -euo pipefail

dir=${1:-build}
if [[ ! -d $dir ]]; then
  echo "check_odr: no build folder $dir" >&2
  exit 2
fi

is_elf() { [[ $(head -c 4 "$1" 2>/dev/null | od -An -c | tr -d ' ') == '177ELF' ]]; }

libraries=()
programs=()
while IFS= read -r -d '' file; do
  is_elf "$file" || continue
  case $file in
    *.so | *.so.*) libraries+=("$file") ;;
    *) programs+=("$file") ;;
  esac
done < <(find "$dir" -path '*/CMakeFiles' -prune -o -type f \( -name '*.so' -o -name '*.so.*' \
  -o -perm -u+x \) -print0 | sort -z)

if ((${#libraries[@]} == 0)); then
  echo "check_odr: no shared library in $dir (build it first)" >&2
  exit 2
fi

# Global, defined, non-weak names (code, data, read-only data, bss), minus
# what every ELF file or the sanitizer and fuzzer runtimes define.
defined() {
  nm "$@" --defined-only --extern-only 2>/dev/null |
    awk '$2 ~ /^[TDBRGS]$/ { print $3 }' |
    grep -Ev '^(_init|_fini|_start|main|_edata|_end|__bss_start|_IO_stdin_used|__data_start|__dso_handle|__TMC_END__|__libc_csu_.*|__(asan|lsan|ubsan|sanitizer|sancov|msan|tsan)_.*|LLVMFuzzer.*)$' |
    sort -u || true
}

table=$(mktemp)
trap 'rm -f "$table"' EXIT
for lib in "${libraries[@]}"; do
  defined -D "$lib" | sed "s|\$| library ${lib#"$dir"/}|" >>"$table"
done
for program in "${programs[@]}"; do
  # The full symbol table: a program's name clashes with a library's even
  # when the program does not export it yet. A copy relocation (a position-
  # dependent program's copy of a library's variable) is the library's own
  # object, not a second definition.
  copies=$(readelf --relocs --wide "$program" 2>/dev/null |
    awk '$3 ~ /_COPY$/ { sub(/@.*/, "", $5); print $5 }' | sort -u)
  defined "$program" | { [[ -n $copies ]] && grep -vxF -f <(printf '%s\n' "$copies") || cat; } |
    sed "s|\$| program ${program#"$dir"/}|" >>"$table"
done

# A name clashes when a library defines it and some other file does too.
clashes=$(sort -k1,1 "$table" | awk '
  $1 != name { flush(); name = $1; n = 0; libs = 0 }
  { files[n++] = $3; if ($2 == "library") libs++ }
  END { flush() }
  function flush(  i, line) {
    if (n > 1 && libs > 0) {
      line = name
      for (i = 0; i < n; i++) line = line " " files[i]
      print line
    }
  }')

if [[ -z $clashes ]]; then
  echo "check_odr: no name defined twice (${#libraries[@]} libraries, ${#programs[@]} programs)"
  exit 0
fi
count=$(wc -l <<<"$clashes")
echo "check_odr: $count names defined in more than one file:" >&2
while read -r name files; do
  printf '  %s\n      %s\n' "$(c++filt <<<"$name")" "$files" >&2
done <<<"$clashes"
exit 1
