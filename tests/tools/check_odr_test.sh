#!/usr/bin/env bash
# tools/check_odr.sh over small builds made here: each case names the
# sources of two libraries and a program, and the exit status expected.
set -euo pipefail
check=${1:?usage: check_odr_test.sh path/to/check_odr.sh}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cxx=${CXX:-c++}

# case name | library a | library b | program | expected status
cases=(
  "distinct names|int A() { return 1; }|int B() { return 2; }|int main() { return 0; }|0"
  "two libraries define one name|int Same() { return 1; }|int Same() { return 2; }|int main() { return 0; }|1"
  "a program replaces a library's function|int Same() { return 1; }|int B() { return 2; }|int Same() { return 3; } int main() { return Same(); }|1"
  "hidden and weak names never clash|__attribute__((visibility(\"hidden\"))) int Same() { return 1; }|inline int W() { return 2; } int (*p)() = W; int Same2() { return 0; }|__attribute__((weak)) int W() { return 4; } int main() { return 0; }|0"
  "a program's copy of a library's variable is no clash|int g_nShared = 1;|int B() { return 2; }|extern int g_nShared; int main() { return g_nShared; }|0"
)
failed=0
for entry in "${cases[@]}"; do
  IFS='|' read -r name a b program expected <<<"$entry"
  dir="$work/${name// /_}"
  mkdir -p "$dir"
  echo "$a" >"$dir/a.cpp"
  echo "$b" >"$dir/b.cpp"
  echo "$program" >"$dir/main.cpp"
  "$cxx" -shared -fPIC "$dir/a.cpp" -o "$dir/liba.so"
  "$cxx" -shared -fPIC "$dir/b.cpp" -o "$dir/libb.so"
  "$cxx" -fno-pic -no-pie "$dir/main.cpp" -o "$dir/program" -L"$dir" -la -lb
  status=0
  "$check" "$dir" >"$dir/out" 2>&1 || status=$?
  if [[ $status != "$expected" ]]; then
    echo "FAIL: $name: status $status, expected $expected" >&2
    cat "$dir/out" >&2
    failed=1
  fi
done
exit $failed
