#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when missing.
# With --no-fuzz, leaves out clang and its runtime, which only the fuzz build
# (fuzz/run.sh) needs: the test script builds with g++ alone.
set -euo pipefail
fuzz=1
[ "${1:-}" = "--no-fuzz" ] && fuzz=0
# ccache: the test script compiles the build without Qt from its normal build.
# xvfb, xdotool and xclip: the window session test under a real X server.
# libpq-dev: the PostgreSQL storage; postgresql: the private server its tests
# start (initdb and pg_ctl in a temporary folder).
packages=(cmake ninja-build ccache g++ libgtest-dev libgmock-dev
          libbenchmark-dev nlohmann-json3-dev libcli11-dev
          libsqlite3-dev libpq-dev postgresql qt6-base-dev fonts-dejavu-core
          ncbi-blast+ libsimdjson-dev libssl-dev libseqan2-dev libcurl4-openssl-dev zlib1g-dev
          xvfb xdotool xclip)
[ "$fuzz" -eq 1 ] && packages+=(clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
