#!/bin/sh
# Builds the host tree and measures the SZDD codec against mscompress, msexpand and libmspack on
# files found on this machine; writes the tables to docs/szdd-bench.md.
# Usage: bench/run-szdd-bench.sh [BUILD_DIR]   (default: build-szdd)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-szdd}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target szdd szdd_bench >/dev/null

wine=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
corpus=""
for f in \
    $wine/icmp.dll $wine/sfc.dll $wine/msimsg.dll \
    $wine/find.exe $wine/setx.exe $wine/cmd.exe /usr/bin/ninja \
    $wine/msctf.dll /usr/bin/cmake \
    /usr/share/common-licenses/Artistic /usr/share/common-licenses/LGPL-3 \
    /usr/share/common-licenses/GPL-3 /usr/share/common-licenses/Apache-2.0 \
    /usr/share/vim/vim90/doc/version9.txt \
    /usr/share/doc/libffi8/html/Thread-Safety.html /usr/share/doc/libffi8/html/Multiple-ABIs.html \
    /usr/share/doc/base-passwd/users-and-groups.html /usr/share/doc/nodejs/api/all.html
do
    if [ -f "$f" ]; then corpus="$corpus $f"; else echo "skipping missing $f" >&2; fi
done

out=$root/docs/szdd-bench.md
tables=$(mktemp)
# shellcheck disable=SC2086
"$build/bench/szdd_bench" "$build/tools/szdd/szdd" $corpus >"$tables"
{
    echo "# SZDD codec benchmark"
    echo
    echo "Made by \`bench/run-szdd-bench.sh\` on $(date -u +%Y-%m-%d), $(nproc) cores"
    echo "($(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'))."
    echo "Each figure is the best of repeated runs; \"memory\" times the library call alone,"
    echo "\"command\" the whole process on files in /tmp (start-up included, which dominates small files)."
    echo "mscompress and msexpand are Debian's mscompress package; libmspack is Debian's libmspack0."
    echo
    cat "$tables"
} >"$out"
rm -f "$tables"
echo "wrote $out"
