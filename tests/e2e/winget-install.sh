#!/usr/bin/env bash
# The installer as winget runs it from the build's manifests: they parse as YAML (the free
# texts of the build's options included); their SHA-256 is the exe's;
# their silent, log and location switches, placeholders filled, install into that directory
# and write that log. A batch file passes the line as written (wine would quote arguments
# with quotes or spaces); drive Z: (the host's /) keeps log and directory beyond the prefix.
#   winget-install.sh WINE_RUN STATE EXE WINGET_DIR WORK_DIR
set -u
wine_run=$1 state=$2 exe=$3 yaml=$(echo "$4"/*.installer.yaml) work=$5
fail() { echo "FAIL: $*"; exit 1; }
sha=$(sed -n 's/^ *InstallerSha256: //p' "$yaml" | sort -u)
[ "$sha" = "$(sha256sum "$exe" | cut -d' ' -f1 | tr a-f A-F)" ] || fail "InstallerSha256 \"$sha\" is not that of $exe"
python3 -c 'import sys, yaml; [yaml.safe_load(open(f, encoding="utf-8")) for f in sys.argv[1:]]' "$4"/*.yaml ||
  fail "the manifests in $4 are not YAML"
rm -rf "$work" && mkdir -p "$work/logs" || exit 1
win="Z:${work//\//\\}"
switch() { sed -n "s/^  $1: //p" "$yaml"; }
args="$(switch Silent) $(switch Log) $(switch InstallLocation)"
args=${args//"<LOGPATH>"/"$win\\logs\\setup log.txt"}
args=${args//"<INSTALLPATH>"/"$win\\Program Files\\Merolin"}
printf '@"%s" %s\r\n@exit %%ERRORLEVEL%%\r\n' "Z:${exe//\//\\}" "$args" >"$work/install.bat"
"$wine_run" --state "$state" cmd /c "$win\\install.bat" || fail "exit code $? of $work/install.bat"
grep -q 'Exit code 0' "$work/logs/setup log.txt" || fail "no \"Exit code 0\" in the log"
[ -f "$work/Program Files/Merolin/Merolin.exe" ] || fail "no Merolin.exe in $work/Program Files/Merolin"
