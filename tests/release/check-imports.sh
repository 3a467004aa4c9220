#!/usr/bin/env bash
# The installer is a PE GUI program that imports system DLLs only: no C or C++ runtime,
# no pthread or gcc DLL, and never version.dll (loaded at run time from the system
# directory, so that a planted copy beside the exe is never used). Given the list of
# what Windows 95 and NT 4.0 export (the shipped i686 exe), it imports nothing else, and
# its header asks for Windows 4.0 as the system and the subsystem.
#   check-imports.sh OBJDUMP EXE EXPECTED_FORMAT [EXPORTS_LIST]   (e.g. pei-i386)
set -u
objdump=$1 exe=$2 format=$3 exports=${4:-}
fail() { echo "FAIL: $*"; exit 1; }
[ -f "$exe" ] || fail "$exe does not exist"

header=$("$objdump" -p "$exe") || fail "objdump cannot read $exe"
grep -q "file format $format" <<<"$header" || fail "not a $format file: $(grep -m1 'file format' <<<"$header")"
grep -Eq '^Subsystem\s+0*2\s' <<<"$header" || fail "not a GUI program: $(grep -m1 '^Subsystem' <<<"$header")"

allowed="KERNEL32.dll USER32.dll GDI32.dll ADVAPI32.dll SHELL32.dll ole32.dll COMCTL32.dll"
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
[ -n "$exports" ] || exit $status

# Each function as dll!name; one imported by ordinal only has no name, and is refused too.
listed=$(awk '!/^#/ { dll = tolower($1); sub(/:$/, "", dll); for (i = 2; i <= NF; i++) print dll "!" $i }' "$exports") ||
  fail "cannot read $exports"
imported=$(awk '/^\tDLL Name:/ { dll = tolower($3) } /^$/ { dll = "" }
  /^\t[0-9a-f]+\t/ && dll != "" { print dll "!" ($3 == "" ? "<ordinal " $2 ">" : $3) }' <<<"$header")
[ -n "$imported" ] || fail "no imported function found"
unlisted=$(grep -vxFf <(printf '%s\n' "$listed") <<<"$imported")
[ -z "$unlisted" ] || { echo "FAIL: imports what Windows 95 or NT 4.0 may lack:" $unlisted; status=1; }
for field in MajorOSystemVersion:4 MinorOSystemVersion:0 MajorSubsystemVersion:4 MinorSubsystemVersion:0; do
  value=$(awk -v f="${field%:*}" '$1 == f { print $2 }' <<<"$header")
  [ "$value" = "${field#*:}" ] || { echo "FAIL: ${field%:*} is ${value:-missing}, not ${field#*:}"; status=1; }
done
[ $status = 0 ] && echo "functions: $(wc -l <<<"$imported"), each one that Windows 95 and NT 4.0 export"
exit $status
