#!/usr/bin/env bash
# Checks of what the e2e32 scenarios rely on, which would otherwise fail unseen (a
# machine that could run the exe directly would silently take the slow guest):
# - the probe that chooses the way is a static i386 program whose code is exit(42),
#   and its verdict agrees with the tree's own 32-bit loader;
# - a way other than auto, direct or guest is refused;
# - the tree's Wine loader and server are 32-bit programs;
# - tree32 removes its finished trees of other keys from the cache and nothing else
#   there (the cache may be shared, MEROLIN_E2E32_CACHE=/var/cache);
# - where the guest way is set up: its initramfs holds our init and every module
#   after those it needs;
# - wine-run refuses a state directory it cannot make (exit code 125, before it writes
#   anything), instead of carrying on with paths from the root folder.
#   check-e2e32.sh BUILD_DIR
set -u
build=$1
here=$(cd "$(dirname "$0")" && pwd)
status=0
fail() { echo "FAIL: $*"; status=1; }
work="$build/e2e32/self"
rm -rf "$work" && mkdir -p "$work"

# ---- the probe ----
way=$(env -u MEROLIN_E2E32_WAY "$here/e2e32" way "$work" 2>"$work/why")
probe="$work/probe32"
head=$(readelf -h "$probe" 2>&1)
grep -q 'Class: *ELF32' <<<"$head" && grep -q 'Machine: *Intel 80386' <<<"$head" &&
  grep -q 'Type: *EXEC' <<<"$head" || fail "the probe is no i386 executable: $head"
entry=$(sed -n 's/.*Entry point address: *//p' <<<"$head")
code=$(objdump -D -b binary -m i386 --start-address=$((entry - 0x8048000)) "$probe" | grep -oE '(mov|int) .*$' | tr -s ' ')
want=$'mov $0x1,%eax\nmov $0x2a,%ebx\nint $0x80'
[ "$code" = "$want" ] || fail "the probe's code at its entry point is not exit(42): $(tr '\n' ';' <<<"$code")"
tree=$("$here/tree32") || { echo "FAIL: no tree"; exit 1; }
if chroot "$tree/tree" /lib/ld-linux.so.2 --version 2>/dev/null | grep -q '^ld.so'; then loader=direct; else loader=guest; fi
[ "$way" = "$loader" ] ||
  fail "the probe chose $way, but the tree's 32-bit loader $( [ $loader = direct ] && echo runs || echo does not run) here"
echo "way: $way ($(cat "$work/why"))"
MEROLIN_E2E32_WAY=sideways "$here/e2e32" way "$work" >/dev/null 2>&1 && fail "MEROLIN_E2E32_WAY=sideways was taken"

# ---- the tree ----
for f in usr/lib/wine/wine usr/lib/wine/wineserver32; do
  file -L "$tree/tree/$f" | grep -q 'ELF 32-bit LSB .*Intel 80386' || fail "$f is not a 32-bit program: $(file -L "$tree/tree/$f")"
done

# ---- what tree32 removes from its cache ----
# A cache of our own: the current key's folder (finished: nothing to make), a finished
# tree of another key, and folders tree32 did not make.
c="$work/cache" key=${tree##*/}
mkdir -p "$c/$key" "$c/0123456789abcdef" "$c/fedcba9876543210" "$c/other"
touch "$c/$key/tree.ready" "$c/0123456789abcdef/tree.ready" "$c/fedcba9876543210/keep" "$c/other/tree.ready"
got=$(MEROLIN_E2E32_CACHE=$c "$here/tree32" 2>"$work/tree32.err") && [ "$got" = "$c/$key" ] ||
  fail "tree32 in a cache of its own: $got $(cat "$work/tree32.err")"
[ -e "$c/0123456789abcdef" ] && fail "tree32 kept its tree of another key, 0123456789abcdef"
for f in "$key/tree.ready" fedcba9876543210/keep other/tree.ready; do
  [ -e "$c/$f" ] || fail "tree32 removed $f from its cache"
done

# ---- the guest's initramfs ----
if [ -f "$tree/guest/initrd.img" ]; then
  mkdir -p "$work/initramfs"
  (cd "$work/initramfs" && zcat "$tree/guest/initrd.img" | cpio -id --quiet) || fail "cannot unpack the initramfs"
  cmp -s "$work/initramfs/init" "$here/guest32-init" || fail "the initramfs's /init is not tests/harness/guest32-init"
  mapfile -t order <"$work/initramfs/lib/modules/order"
  at() { local i; for i in "${!order[@]}"; do [ "${order[$i]}" = "$1.ko" ] && { echo "$i"; return; }; done; echo -1; }
  for pair in virtio:virtio_pci virtio_ring:virtio_blk mbcache:ext4 jbd2:ext4 crc16:ext4 9pnet:9p \
              9pnet:9pnet_virtio netfs:9p; do
    dep=${pair%%:*} mod=${pair#*:}
    [ "$(at "$dep")" -ge 0 ] && [ "$(at "$dep")" -lt "$(at "$mod")" ] ||
      fail "the initramfs does not load $dep before $mod: ${order[*]}"
  done
  for m in "${order[@]}"; do [ -f "$work/initramfs/lib/modules/$m" ] || fail "module $m is listed but missing"; done
  echo "guest: initramfs with ${#order[@]} modules: ${order[*]}"
fi
# ---- wine-run ----
touch "$work/file"
"$here/wine-run" --state "$work/file/state" /bin/true >/dev/null 2>"$work/wine-run.err"
rc=$?
[ $rc = 125 ] && grep -q '^wine-run: cannot make the state directory' "$work/wine-run.err" ||
  fail "wine-run with its state directory below a file: exit code $rc (125 wanted): $(tr '\n' ' ' <"$work/wine-run.err")"

[ $status = 0 ] && rm -rf "$work"
exit $status
