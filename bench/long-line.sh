#!/usr/bin/env bash
# Peak memory of sifta-batch on files with one huge line: the heading, a
# record (one item of that size, plain or a quoted text full of commas) or the
# whole file (no heading, no line end), every item kept; then a line just
# under the longest line allowed (1 GiB) and one past it.
#
#   bench/long-line.sh [FOLDER] [MIB]
#
# FOLDER (default /tmp/sifta-long-line, never inside the repository) holds the
# generated files (made once, then reused) and the extracts. MIB (default 200)
# is the size of the huge line of the first four cases; SIFTA_LONG_LINE_BIG=0
# leaves out the two cases of about 1 GiB. The binaries come from
# $SIFTA_BUILD (default build-bench in the repository, configured and built
# in Release when missing).
#
# Each case prints the peak resident memory (GNU time's maximum resident set
# size), its ratio to the line and the exit status, and checks the extract:
# the huge line must come out whole (the extract's first bytes are those of
# the source), the line past the limit must give "line too long" (exit 2)
# while the memory stays near the limit. Target: for MIB 200, every peak under
# 450 MB, about twice the line.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
folder=${1:-/tmp/sifta-long-line}
mib=${2:-200}
big=${SIFTA_LONG_LINE_BIG:-1}
build=${SIFTA_BUILD:-$repo/build-bench}
[[ $build = /* ]] || build=$PWD/$build

mkdir -p "$folder"
folder=$(cd "$folder" && pwd)
case "$folder/" in
  "$repo"/*) echo "long-line.sh: the folder must lie outside the repository" >&2; exit 64 ;;
esac
if [[ ! -x $build/sifta-batch ]]; then
  cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSIFTA_BUILD_UI=OFF -DSIFTA_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target sifta-batch >/dev/null
fi
batch=$build/sifta-batch
[[ -x /usr/bin/time ]] || { echo "long-line.sh: GNU time (Debian package time) is missing" >&2; exit 64; }
cd "$folder"

# repeat TEXT BYTES: TEXT repeated, cut to BYTES bytes, no line end.
repeat() { (set +o pipefail; yes "$1" | tr -d '\n' | head -c "$2"); }

# make NAME KIND MIB: the file NAME.csv, made once.
make_file() {
  local name=$1 kind=$2 bytes=$(($3 << 20))
  [[ -s $name.csv ]] && return
  echo "generating $name.csv ..." >&2
  {
    case $kind in
      heading)  # a standard heading: RID1,ｾﾙ1,ｾﾙ1,... (code page 932)
        printf 'RID1'; repeat $',\xbe\xd91' "$bytes"; printf '\r\n'
        printf '1,2,3\r\n2,3,4\r\n' ;;
      record)   # item 2 of record 2 is the huge line
        printf 'RID1,\xbe\xd91,\xbe\xd92\r\n1,a,b\r\n2,'; repeat 'x' "$bytes"; printf ',c\r\n3,d,e\r\n' ;;
      quoted)   # the same item as a quoted text of commas
        printf 'RID1,\xbe\xd91,\xbe\xd92\r\n1,a,b\r\n2,"'; repeat '1,2,' "$bytes"; printf '",c\r\n3,d,e\r\n' ;;
      single)   # no heading, one line without a line end, items of 5 bytes
        repeat '12345,' "$bytes"; printf '9' ;;
    esac
  } > "$name.csv.part"
  mv "$name.csv.part" "$name.csv"
}

# run NAME MIB HEADING [EXPECT_STATUS]: one extraction of every item of
# NAME.csv, whose longest line is about MIB MiB; prints the peak memory and
# checks the extract.
run() {
  local name=$1 line=$(($2 << 20)) heading=$3 expect=${4:-0}
  printf '{"source": "%s.csv", "extract": "%s.out.csv", %s"rid": {"choice": "%s"}, "cells": {"choice": "all"}, "records": {"mode": "all"}}' \
    "$name" "$name" "$([[ $heading = none ]] && echo '"heading": "none", ')" \
    "$([[ $heading = none ]] && echo none || echo all)" > "$name.json"
  rm -f "$name.out.csv"
  local status=0
  /usr/bin/time -f '%M' -o "$name.rss" "$batch" "$name.json" > /dev/null 2> "$name.err" || status=$?
  local kib verdict=ok
  kib=$(tail -1 "$name.rss")
  if [[ $status -ne $expect ]]; then
    verdict="FAILED: exit $status, want $expect: $(head -c 300 "$name.err")"
  elif [[ $expect -eq 0 ]]; then
    # Every item is kept: the extract begins with the bytes of the source up
    # to the end of the huge line.
    cmp -s -n "$line" "$name.csv" "$name.out.csv" || verdict="FAILED: the extract differs"
  else
    grep -q '長すぎ' "$name.err" || verdict="FAILED: no line-too-long message"
    [[ ! -s $name.out.csv ]] || verdict="FAILED: an extract was written"
  fi
  rm -f "$name.out.csv"
  awk -v name="$name" -v kib="$kib" -v line="$line" -v status="$status" -v verdict="$verdict" 'BEGIN {
    printf "%-11s line %6.0f MiB  peak %6.1f MiB = %5.1f MB = %4.2f x line  exit %d  %s\n",
      name, line / 1048576, kib / 1024, kib * 1024 / 1e6, kib * 1024 / line, status, verdict }'
}

make_file "heading$mib" heading "$mib"
make_file "record$mib" record "$mib"
make_file "quoted$mib" quoted "$mib"
make_file "single$mib" single "$mib"
echo "sifta-batch: $batch"
run "heading$mib" "$mib" standard
run "record$mib" "$mib" standard
run "quoted$mib" "$mib" standard
run "single$mib" "$mib" none
if [[ $big = 1 ]]; then
  make_file single1000 single 1000
  make_file single1100 single 1100
  run single1000 1000 none
  run single1100 1100 none 2
fi
