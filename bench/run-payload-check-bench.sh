#!/usr/bin/env bash
# The cost of the installer's payload check (the CRC-32 of every payload resource) on a
# payload of 500 KB, under wine64 (x86_64 tree) and, where the kernel runs 32-bit
# programs, 32-bit Wine (i686 tree): 15 runs each, the median.
#   bench/run-payload-check-bench.sh [BYTES]
set -euo pipefail
cd "$(dirname "$0")/.."
size=${1:-512000}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX=${WINEPREFIX:-$PWD/build/bench-prefix}
for tree in x86_64 i686; do
  [ -f build/$tree/CMakeCache.txt ] || cmake --preset $tree >/dev/null
  cmake --build --preset $tree --target payload_check_bench >/dev/null
  wine=/usr/lib/wine/wine64
  [ $tree = x86_64 ] || wine=/usr/lib/wine/wine
  if [ -x $wine ] && out=$($wine build/$tree/payload_check_bench.exe "$size" 2>/dev/null); then
    echo "$tree: $out"
  else
    echo "$tree: not run here (no Wine for it, or the kernel does not run 32-bit programs)"
  fi
done
