#!/usr/bin/env bash
# Peak memory of sifta-batch whatever the number of cutting threads.
#
#   bench/memory.sh [FOLDER]
#
# FOLDER (default /tmp/sifta-bench, outside the repository) holds t100.csv,
# the 100 MB table of sifta-gen (made once, shared with throughput.sh). Every
# task runs with --workers=N for N = 0, 2, 8, 32 and 64 (a run starts at most
# eight, so 32 and 64 stand for machines of many hardware threads); the table
# gives the maximum resident set of each, as /usr/bin/time reports it. The
# tasks are those of throughput.sh, and X, whose output is ten times its
# input (every cell written ten times), which fills the chunks' outputs to
# their limit. Target: every run under 64 MiB. The binaries come from
# $SIFTA_BUILD (default build-bench, built in Release when missing).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
folder=${1:-/tmp/sifta-bench}
build=${SIFTA_BUILD:-$repo/build-bench}
mkdir -p "$folder"
folder=$(cd "$folder" && pwd)
case "$folder/" in
  "$repo"/*) echo "memory.sh: the folder must lie outside the repository" >&2; exit 64 ;;
esac
if [[ ! -x $build/sifta-batch || ! -x $build/sifta-gen ]]; then
  cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSIFTA_BUILD_UI=OFF -DSIFTA_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target sifta-batch sifta-gen >/dev/null
fi
cd "$folder"
if [[ ! -s t100.csv || ! -s t100.info ]]; then
  echo "generating t100.csv ..." >&2
  "$build/sifta-gen" 100 t100.csv > t100.info
fi
first=$(awk '{ for (i = 1; i < NF; ++i) if ($i == "first") print $(i + 1) }' t100.info)

# conditions NAME RID CELLS RECORDS
conditions() {
  printf '{"source": "t100.csv", "extract": "mem-out.csv", "rid": %s, "cells": %s, "records": %s}\n' \
    "$2" "$3" "$4" > "mem-$1.json"
}
all='{"choice": "all"}'
some='{"choice": "listed", "rows": [["1", "5"], ["20", "25"]]}'
one='{"choice": "listed", "rows": [["1", ""]]}'
ten='{"choice": "listed", "rows": [["1", "*"], ["1", "*"], ["1", "*"], ["1", "*"], ["1", "*"], ["1", "*"], ["1", "*"], ["1", "*"], ["1", "*"], ["1", "*"]]}'
conditions T1 "$one" "$some" '{"mode": "all"}'
conditions T2 "$all" "$all" '{"mode": "all"}'
conditions T3 "$all" "$all" '{"mode": "count", "keys": [["1", "*"]]}'
conditions T4 "$one" "$some" "{\"mode\": \"code\", \"keys\": [[\"1\", \"\"]], \"codes\": [[\"$first\", \"$((first + 99))\"]]}"
conditions T5 "$one" "$some" '{"mode": "value", "keys": [["1", ""]], "codes": [["1000", "1999"]]}'
conditions X "$all" "$ten" '{"mode": "all"}'

workers=(0 2 8 32 64)
printf '%-6s' task
for n in "${workers[@]}"; do printf ' %9s' "w=$n"; done
printf '   (peak KiB)\n'
peak=0
for task in T1 T2 T3 T4 T5 X; do
  printf '%-6s' "$task"
  for n in "${workers[@]}"; do
    /usr/bin/time -f %M -o mem.rss "$build/sifta-batch" --workers="$n" "mem-$task.json" >/dev/null
    kib=$(tail -n 1 mem.rss)
    (( kib > peak )) && peak=$kib
    printf ' %9d' "$kib"
    rm -f mem-out.csv mem.rss
  done
  printf '\n'
done
printf '\nhighest: %d KiB (%.1f MiB)\n' "$peak" "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')"
if (( peak < 65536 )); then echo "ok    every run under 64 MiB"; else echo "MISS  every run under 64 MiB"; exit 1; fi
