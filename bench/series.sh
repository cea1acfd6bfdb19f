#!/usr/bin/env bash
# Time of a file series of N small source files named with @.
#
#   bench/series.sh [N] [FOLDER] [EXTRACT]
#
# Makes (or reuses) N files FOLDER/srcN/s00001.csv .. (default N 20000, FOLDER
# /tmp/sifta-series, never inside the repository), each a standard heading and
# three records, and runs sifta-batch once on the conditions file of one @
# entry, the range 00001..N. EXTRACT is "one" (default: every source appends
# to one extract file) or "series" (one extract file per source, out/@.csv).
# The binary comes from $SIFTA_BATCH (default build/sifta-batch of the
# repository). The record counts are checked, so a broken build cannot look
# fast. Prints the wall time and the peak resident set.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
n=${1:-20000}
folder=${2:-/tmp/sifta-series}
mode=${3:-one}
batch=${SIFTA_BATCH:-$repo/build/sifta-batch}

(( n >= 2 && n <= 99999 )) || { echo "series.sh: N must be 2 to 99999" >&2; exit 64; }
[[ $mode == one || $mode == series ]] || { echo "series.sh: EXTRACT is one or series" >&2; exit 64; }
[[ -x $batch ]] || { echo "series.sh: no sifta-batch at $batch (set SIFTA_BATCH)" >&2; exit 64; }
mkdir -p "$folder"
folder=$(cd "$folder" && pwd)
case "$folder/" in
  "$repo"/*) echo "series.sh: the folder must lie outside the repository" >&2; exit 64 ;;
esac
cd "$folder"

last=$(printf '%05d' "$n")
src=src$n
if [[ ! -s $src/s$last.csv ]]; then
  echo "making $n source files ..." >&2
  rm -rf "$src" && mkdir "$src"
  python3 - "$n" "$src" <<'EOF'
import sys
n, src = int(sys.argv[1]), sys.argv[2]
heading = "地域コード,地域名,年次,ｾﾙ1,ｾﾙ2,ｾﾙ3\r\n".encode("cp932")
for i in range(1, n + 1):
    rows = b"".join(b'%05d,"A,B",%d,1,"X",%d\r\n' % (i, 2000 + k, i * k) for k in range(3))
    with open("%s/s%05d.csv" % (src, i), "wb") as f:
        f.write(heading + rows)
EOF
fi

if [[ $mode == one ]]; then extract="$folder/out.csv"; else extract="$folder/out/@.csv"; fi
rm -rf out out.csv
# The disk finishes what the last run and the removal left it (writing back,
# freeing inodes) before the clock starts, or that work is timed with this run.
sync
cat > series.json <<EOF
{"source": "$folder/$src/s@.csv", "extract": "$extract", "layout": "$folder/$src/s00001.csv",
 "rid": {"choice": "all"}, "cells": {"choice": "listed", "rows": [["1", "2"]]},
 "records": {"mode": "all"},
 "series": [{"first": "00001", "last": "$last", "lastEntry": true}]}
EOF

start=$(date +%s.%N)
/usr/bin/time -f %M -o series.rss "$batch" series.json > series.out
seconds=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }')

records=$(grep -c '抽出ﾌｧｲﾙﾚｺｰﾄﾞ数：3$' series.out || true)
if (( records != n )); then
  echo "series.sh: $records of $n sources gave 3 extract records" >&2
  exit 1
fi
if [[ $mode == one ]]; then
  lines=$(wc -l < out.csv)
  (( lines == 3 * n + 1 )) || { echo "series.sh: out.csv has $lines lines, not $((3 * n + 1))" >&2; exit 1; }
fi
echo "$n sources, extract $mode: $seconds s, peak RSS $(( $(tail -n 1 series.rss) / 1024 )) MiB"
