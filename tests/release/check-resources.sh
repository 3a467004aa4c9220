#!/usr/bin/env bash
# Reads the resources back from the built installer (with icoutils' wrestool):
# payload, licence, dialogs, icon, the application manifest and the version resource.
#   check-resources.sh EXE
set -u
exe=$1
status=0
fail() { echo "FAIL: $*"; status=1; }
list=$(wrestool -l "$exe") || { echo "FAIL: wrestool cannot read $exe"; exit 1; }
raw() { wrestool -x --raw "$@" "$exe"; }

for id in 133 134 135 136 137 138 139; do
  grep -q -- "--type='MSZ' --name=$id --language=1033 " <<<"$list" || fail "no MSZ resource $id in language 1033"
  head=$(raw --type=MSZ --name=$id | head -c 9 | od -An -tx1 | tr -d ' \n')
  [ "$head" = "535a444488f0273341" ] || fail "MSZ $id is not an SZDD file of mode A (starts $head)"
done
# The licence travels compressed too; its header promises the 4028 bytes of res/license.txt.
grep -q -- "--type='MSZ' --name=132 --language=1033 " <<<"$list" || fail "no compressed licence 132 in language 1033"
length=$(raw --type=MSZ --name=132 | head -c 14 | tail -c 4 | od -An -tu4 | tr -d ' ')
[ "$length" = 4028 ] || fail "licence 132 expands to $length bytes, not 4028"
for id in 102 129 130 131; do
  grep -q -- "--type=5 --name=$id --language=1033" <<<"$list" || fail "no dialog template $id"
done
grep -q -- "--type=14 --name=128 " <<<"$list" || fail "no icon group 128"

manifest=$(raw --type=24 --name=1)
for want in 'level="asInvoker"' 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' \
            '>true</dpiAware>' e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
            4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
            8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
  grep -q -- "$want" <<<"$manifest" || fail "manifest lacks $want"
done

version=$(raw --type=16 --name=1 | tr -d '\0')
for want in "CompanyNameTolvane Software" "ProductNameMerolin" "ProductVersion1.31" "FileVersion1.31" \
            "OriginalFilenameMerolinSetup.exe"; do
  grep -aq -- "$want" <<<"$version" || fail "version resource lacks $want"
done
[ $status = 0 ] && echo "resources: payload, licence, dialogs, icon, manifest and version are all there"
exit $status
