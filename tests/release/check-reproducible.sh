#!/usr/bin/env bash
# Two builds of the same sources, in two different folders, give a byte-identical
# MerolinSetup.exe and MerolinSetup.msi: no time stamps or build paths end up in the files.
#   check-reproducible.sh SOURCE_DIR WORK_DIR TOOLCHAIN_FILE
set -u
src=$1 work=$2 toolchain=$3
rm -rf "$work"
mkdir -p "$work"
for side in a b; do
  cmake -S "$src" -B "$work/$side-tree" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=MinSizeRel >"$work/$side.log" 2>&1 &&
  cmake --build "$work/$side-tree" --target MerolinSetup >>"$work/$side.log" 2>&1 ||
    { echo "FAIL: build $side failed, see $work/$side.log"; exit 1; }
  sleep 1  # a second apart: any time stamp would differ
done
a="$work/a-tree/dist/MerolinSetup.exe" b="$work/b-tree/dist/MerolinSetup.exe"
cmp -s "$work"/{a,b}-tree/dist/MerolinSetup.msi ||
  { echo "FAIL: the two packages differ:"; cmp -l "$work"/{a,b}-tree/dist/MerolinSetup.msi | head -20; exit 1; }
if cmp -s "$a" "$b"; then
  echo "reproducible: two builds give the same $(stat -c %s "$a") bytes ($(sha256sum <"$a" | cut -c1-16))"
  rm -rf "$work"
  exit 0
fi
echo "FAIL: the two builds differ:"; cmp -l "$a" "$b" | head -20
exit 1
