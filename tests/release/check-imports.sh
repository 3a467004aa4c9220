#!/usr/bin/env bash
# The installer is a PE GUI program that imports system DLLs only: no C++ runtime,
# no pthread or gcc DLL, and never version.dll (loaded at run time from the system
# directory, so that a planted copy beside the exe is never used).
#   check-imports.sh OBJDUMP EXE EXPECTED_FORMAT   (e.g. pei-i386)
set -u
objdump=$1 exe=$2 format=$3
fail() { echo "FAIL: $*"; exit 1; }
[ -f "$exe" ] || fail "$exe does not exist"

header=$("$objdump" -p "$exe") || fail "objdump cannot read $exe"
grep -q "file format $format" <<<"$header" || fail "not a $format file: $(grep -m1 'file format' <<<"$header")"
grep -Eq '^Subsystem\s+0*2\s' <<<"$header" || fail "not a GUI program: $(grep -m1 '^Subsystem' <<<"$header")"

allowed="KERNEL32.dll USER32.dll GDI32.dll ADVAPI32.dll SHELL32.dll ole32.dll COMCTL32.dll msvcrt.dll"
dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$header")
[ -n "$dlls" ] || fail "no import table found"
status=0
for dll in $dlls; do
  ok=0
  for a in $allowed; do [ "${dll,,}" = "${a,,}" ] && ok=1; done
  if [ $ok = 0 ]; then echo "FAIL: imports $dll, which is not a system DLL of the allowed set"; status=1; fi
done
grep -qi '^version\.dll$' <<<"$dlls" && { echo "FAIL: version.dll is imported"; status=1; }
echo "imports: $(tr '\n' ' ' <<<"$dlls")"
exit $status
