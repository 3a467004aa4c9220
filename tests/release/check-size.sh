#!/usr/bin/env bash
# The installer's own overhead (the exe less its seven compressed payload
# resources) stays within the download budget; a report of where the bytes go is printed
# first, by the command given after the limit (bench/size-report.py).
#   check-size.sh EXE MSZ_DIR LIMIT_BYTES [REPORT_COMMAND...]
set -u
exe=$1 msz=$2 limit=$3
shift 3
[ $# = 0 ] || "$@" || { echo "FAIL: the size report failed"; exit 1; }
size=$(stat -c %s "$exe") || exit 1
payload=$(cat "$msz"/*.msz | wc -c)
[ "$payload" -gt 0 ] || { echo "FAIL: no compressed payload in $msz"; exit 1; }
overhead=$((size - payload))
echo "size: $size bytes, payload $payload, installer overhead $overhead (limit $limit)"
[ "$overhead" -le "$limit" ] || { echo "FAIL: overhead $overhead is over $limit bytes"; exit 1; }
