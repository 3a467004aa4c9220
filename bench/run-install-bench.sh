#!/usr/bin/env bash
# What a silent installation costs under wine64, fresh and over a previous one, with two
# payloads: the x86_64 tree's stand-in and one of 500 KB (a tree of its own, made here).
# Each round times, by the wall clock, in one prefix whose wineserver stays up throughout:
#   start    a program that does nothing (the stand-in Merolin.exe given an unknown switch,
#            which ends at once without a window): Wine's own start, subtracted from the rest
#   fresh    MerolinSetup.exe /S /D=C:\Bench\Merolin on a machine without Merolin
#   upgrade  the same again over the installation the fresh run made (a repair)
#   over1.20 the same again over that installation made to look like version 1.20
# A round before the first is not counted (it starts Wine's services). After the last, not
# timed: a round under strace counts each run's flushes (fsync, fdatasync) and the bytes its
# processes write to files and read from them; nine under Wine's relay of the installer's
# calls tell where its time goes (bench/install-profile.py: the fastest of the nine).
#   bench/run-install-bench.sh [ROUNDS]   (default 15; prints the medians and the fastest runs,
#                                          the flushes and bytes of each kind of run, and where
#                                          its time goes)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
runs=${1:-15}
wine=/usr/lib/wine/wine64 wineserver=/usr/lib/wine/wineserver
ms() { echo $(($(date +%s%N) / 1000000)); }

# The two installers.
[ -f build/x86_64/CMakeCache.txt ] || cmake --preset x86_64 >/dev/null
cmake --build --preset x86_64 --target MerolinSetup >/dev/null
files=$root/build/bench-payload-500k
if [ ! -f "$files/.made" ]; then
  rm -rf "$files" && mkdir -p "$files"
  # Seven files of the payload's names, 512,000 bytes in all, the same on every machine: the
  # programs part varied bytes and part recurring runs, as code is; the rest text.
  python3 - "$files" <<'EOF'
import random, sys
r = random.Random(1)
words = ["".join(r.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(r.randint(2, 9))) for _ in range(400)]
codes = [r.randbytes(r.randint(3, 8)) for _ in range(300)]
def text(n):
    s = bytearray()
    while len(s) < n:
        s += (" ".join(r.choice(words) for _ in range(r.randint(4, 12))) + ".\r\n").encode()
    return s[:n]
def program(n):
    s = bytearray()
    while len(s) < n:
        s += r.randbytes(r.randint(16, 128)) if r.random() < 0.3 else b"".join(r.choice(codes) for _ in range(32))
    return s[:n]
for name, make, size in [("Merolin.exe", program, 307200), ("Merolin.hlp", text, 122880),
                         ("Uninstall.exe", program, 40960), ("Merolin.txt", text, 8192),
                         ("US-Caps_FITB.MR1", text, 11264), ("US-Caps_MULT.MR1", text, 11264),
                         ("Vocab_MULT.MR1", text, 10240)]:
    open(sys.argv[1] + "/" + name, "wb").write(make(size))
EOF
  touch "$files/.made"
fi
big=build/x86_64-payload-500k
[ -f $big/CMakeCache.txt ] || cmake --preset x86_64 -B $big -DMEROLIN_PAYLOAD_DIR="$files" >/dev/null
cmake --build $big --target MerolinSetup >/dev/null
exes=("$root/build/x86_64/dist/MerolinSetup.exe" "$root/$big/dist/MerolinSetup.exe")
names=("stand-in payload" "500 KB payload")
nothing=$root/build/x86_64/payload/Merolin.exe

# A prefix of its own, copied from the target tests' prepared one (system32 hard-linked,
# as tests/harness/wine-run does), a home of its own, and no display: a silent run opens
# no window. winemenubuilder would copy the links out of the prefix.
base=$root/build/x86_64/wine/base
tests/harness/wine-run --state build/x86_64/wine --prepare
state=$root/build/bench-install
prefix=$state/prefix
rm -rf "${state:?}" && mkdir -p "$prefix/drive_c/windows" "$state/home"
(cd "$base" && find . -mindepth 1 -maxdepth 1 ! -name drive_c ! -name '.ready*' -exec cp -a {} "$prefix/" \;)
(cd "$base/drive_c" && find . -mindepth 1 -maxdepth 1 ! -name windows -exec cp -a {} "$prefix/drive_c/" \;)
(cd "$base/drive_c/windows" && find . -mindepth 1 -maxdepth 1 ! -name system32 -exec cp -a {} "$prefix/drive_c/windows/" \;)
cp -al "$base/drive_c/windows/system32" "$prefix/drive_c/windows/system32"
export WINEPREFIX=$prefix HOME=$state/home WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
"$wineserver" -p
trap '"$wineserver" -k 2>/dev/null; "$wineserver" -w 2>/dev/null || true' EXIT

# No Merolin: its keys (the vendor's included), directory and links gone.
cv='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion'
printf 'REGEDIT4\r\n\r\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Tolvane Software]\r\n\r\n[-%s\\App Paths\\Merolin.exe]\r\n\r\n[-%s\\Uninstall\\Merolin]\r\n' \
  "$cv" "$cv" >"$prefix/drive_c/no-merolin.reg"
# The installation made to look like 1.20: the vendor key's version and the uninstall entry's.
printf 'REGEDIT4\r\n\r\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Tolvane Software\\Merolin\\1.31]\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tolvane Software\\Merolin\\1.20]\r\n\r\n[%s\\Uninstall\\Merolin]\r\n"DisplayVersion"="1.20"\r\n"DisplayName"="Merolin 1.20"\r\n' \
  "$cv" >"$prefix/drive_c/merolin-1.20.reg"
no_merolin() {
  "$wine" regedit /s 'C:\no-merolin.reg'
  rm -rf "$prefix/drive_c/Bench" "$prefix"/drive_c/users/*/Desktop/Merolin.lnk \
    "$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Merolin" \
    "$prefix"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Merolin
}
as_1_20() { "$wine" regedit /s 'C:\merolin-1.20.reg'; }

# One timed run: its milliseconds to the named list; a wrong exit code ends the benchmark.
declare -A times
timed() {
  local list=$1 want=$2 start end rc=0
  shift 2
  start=$(ms)
  "$wine" "$@" || rc=$?
  end=$(ms)
  [ "$rc" = "$want" ] || { echo "$list: exit code $rc, not $want: $*" >&2; exit 1; }
  times[$list]+="$((end - start)) "
}
# One run under strace, not timed: its flushes and their time, and the bytes its processes
# write to files and read from them (a path, not a pipe or socket: those are the wineserver's
# requests; what the wineserver itself writes, the registry's files, is not counted). Reads
# are counted of the installer's file and of drive C: outside its Windows folder, not of
# Wine's own files.
declare -A traced
counted() {
  local list=$1 want=$2 rc=0 out=$state/strace/$1
  shift 2
  rm -rf "$out" && mkdir -p "$out"
  strace -f -ff -qq -y -T -e signal=none -o "$out/trace" \
    -e trace=fsync,fdatasync,write,pwrite64,writev,pwritev,pwritev2,read,pread64,readv,preadv "$wine" "$@" || rc=$?
  [ "$rc" = "$want" ] || { echo "$list: exit code $rc under strace, not $want: $*" >&2; exit 1; }
  traced[$list]=$(cat "$out"/trace.* | awk '
    function bytes() { return match($0, / = [0-9]+ <[0-9.]+>$/) ? substr($0, RSTART + 3) + 0 : 0 }
    !/^[a-z0-9]+\([0-9]+<\// || /^[a-z0-9]+\([0-9]+<\/dev\// { next }
    /^f(data)?sync\(/ { n++; match($0, /<[0-9.]+>$/); t += substr($0, RSTART + 1, RLENGTH - 2) }
    /^p?writev?2?(64)?\(/ { w += bytes() }
    /^p?readv?(64)?\(/ && (/\/drive_c\// && !/\/drive_c\/windows\// || /MerolinSetup\.exe>/) { r += bytes() }
    END { printf "%d %.1f %d %d", n, t * 1000, w, r }')
}
# One run under Wine's relay, not timed: each call the installer makes, with its time, for
# bench/install-profile.py (where the time goes). The relay is limited to the calls made from
# the installer (relay.reg, set before that round), and leaves out the many short calls of
# strings and memory, whose time counts with the installer's own.
profiled() {
  local list=$1 want=$2 rc=0
  shift 2
  mkdir -p "$state/relay"
  WINEDEBUG=+timestamp,+relay "$wine" "$@" 2>"$state/relay/$list.$profile_round.txt" || rc=$?
  [ "$rc" = "$want" ] || { echo "$list: exit code $rc under the relay, not $want: $*" >&2; exit 1; }
}
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Debug]\r\n"RelayFromInclude"="MerolinSetup.exe"\r\n"RelayFromExclude"=-\r\n"RelayExclude"="%s"\r\n' \
  "$(printf '%s;' ntdll.RtlEnterCriticalSection ntdll.RtlTryEnterCriticalSection ntdll.RtlLeaveCriticalSection \
     kernel32.48 kernel32.49 kernel32.94 kernel32.95 kernel32.96 kernel32.97 kernel32.98 kernel32.TlsGetValue \
     kernel32.TlsSetValue kernel32.FlsGetValue kernel32.FlsSetValue kernel32.SetLastError kernel32.IsDBCSLeadByte \
     kernel32.lstrlenA msvcrt.strlen msvcrt.strchr msvcrt.strncpy msvcrt.memcmp msvcrt.malloc msvcrt.free \
     combase.CoTaskMemAlloc combase.CoTaskMemFree | sed 's/;$//')" >"$prefix/drive_c/relay.reg"
# A round of RUNNER's runs; the first, not counted, also logs each installation and checks
# what it found.
round() {
  local runner=$1 log=() kind i
  $runner start 2 "$nothing" /bench-nothing
  for i in 0 1; do
    for kind in fresh upgrade old; do
      [ $# = 1 ] || log=("/LOG=C:\\$kind$i.log")
      case $kind in fresh) no_merolin ;; old) as_1_20 ;; esac
      $runner "$kind$i" 0 "${exes[$i]}" /S "${log[@]}" '/D=C:\Bench\Merolin'
    done
  done
}
found() { grep -h "Found Merolin" "$prefix/drive_c/$1.log" || true; }
round timed check
for i in 0 1; do
  if [ -n "$(found fresh$i)" ] || ! found upgrade$i | grep -q "1.31: reinstalling" ||
    ! found old$i | grep -q "1.20: upgrading"; then
    echo "the runs did not find what they should have: see $prefix/drive_c/*.log" >&2
    exit 1
  fi
done
times=()
for _ in $(seq "$runs"); do round timed; done
round counted
"$wine" regedit /s 'C:\relay.reg'
for profile_round in $(seq 9); do round profiled; done

# The median, or with "fastest" the fastest, of a list's runs.
pick() {
  tr ' ' '\n' <<<"${times[$1]}" | grep . | sort -n | awk -v fastest="${2:-}" '{ v[NR] = $1 }
    END { print (fastest ? v[1] : NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}
table() {
  local how=${1:-} b i
  b=$(pick start "$how")
  printf "%s: start of a program that does nothing %.0f ms, subtracted from each figure below\n" "${how:-medians}" "$b"
  printf '  %-38s %8s %8s %10s %15s %17s\n' "payload (exe bytes)" fresh upgrade "over 1.20" "upgrade/fresh" "over 1.20/fresh"
  for i in 0 1; do
    awk -v n="${names[$i]} ($(stat -c %s "${exes[$i]}"))" -v b="$b" -v f="$(pick "fresh$i" "$how")" \
        -v u="$(pick "upgrade$i" "$how")" -v o="$(pick "old$i" "$how")" 'BEGIN {
      printf "  %-38s %8.0f %8.0f %10.0f %15.2f %17.2f\n", n, f - b, u - b, o - b, (u - b) / (f - b), (o - b) / (f - b) }'
  done
}
for list in "${!times[@]}"; do echo "$list: ${times[$list]}"; done | sort >"$state/times.txt"
echo "MerolinSetup.exe /S under wine64, $runs rounds, wall-clock milliseconds ($(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg))"
echo "wineserver kept running across all runs (wineserver -p): no run pays its start; no display"
table
table fastest
echo "each kind of run once under strace, not timed: flushes (fsync, fdatasync), their time, bytes written to files, bytes read from the installer and drive C: (not C:\\windows)"
printf '  %-38s %-10s %8s %9s %12s %12s\n' payload run flushes "flush ms" written read
for i in 0 1; do
  for list in start "fresh$i" "upgrade$i" "old$i"; do
    read -r n t w r <<<"${traced[$list]}"
    kind=${list%[01]}
    printf '  %-38s %-10s %8d %9.1f %12d %12d\n' "${names[$i]}" "${kind/old/over 1.20}" "$n" "$t" "$w" "$r"
  done
done
logs() { local n; for n in $(seq 9); do printf '%s,' "$state/relay/$1.$n.txt"; done | sed 's/,$//'; }
for i in 0 1; do
  echo "where the time goes, ${names[$i]}: each kind of run 9 times under the relay of the installer's calls, not timed"
  python3 bench/install-profile.py "fresh=$(logs "fresh$i")" "upgrade=$(logs "upgrade$i")" "over 1.20=$(logs "old$i")"
done
echo "each run's milliseconds: $state/times.txt; the traces: $state/strace/, $state/relay/"
