#!/usr/bin/env bash
# Throughput of the record loop on a cached ~1 GB statistics table.
#
#   bench/throughput.sh [FOLDER] [RUNS]
#
# FOLDER (default /tmp/sifta-bench, never inside the repository) holds the
# generated tables (made once by sifta-gen, then reused), the conditions files
# and the extracts. RUNS (default 5): each figure is the median of that many
# runs. The binaries come from $SIFTA_BUILD (default build-bench in the
# repository, configured and built in Release when missing). The extracts are
# written into FOLDER, or into $SIFTA_EXTRACTS (say /dev/shm) when set.
#
# In one go: `wc -l` and `cat > /dev/null` as the reading limit, sifta-batch
# on the tasks below, Miller on T1 and T4, and T3/T4-grouped on 100 MB against
# 1 GB. Every run's record counts are checked against what the task must
# give, so a broken build cannot look fast.
#   T1  RID item 1 and the cells 1-5 and 20-25 of every record
#   T2  everything (the extract equals the source byte for byte)
#   T3  the first 1000 records (count range)
#   T4  a code range of 1% of the keys, grouped (stops early) and not grouped
#   T5  a value range of one cell
#   T6  T1 with both zeroings
#   T2u T2 written in UTF-8 (checked against iconv's conversion of the table)
#   T1c T1 with the source column
# Targets: T1, T2, T4 (not grouped), T5 and T6 at >= 1/2 of wc -l's MB/s, T2u
# at >= 1/4 of it, T1c within 10% of T1, T1 and T4 at >= 30x Miller's,
# T3/T4-grouped on 1 GB within 2x of 100 MB, peak memory under 64 MiB.
#
# SIFTA_WORKERS=N runs sifta-batch with --workers=N (the threads that cut
# besides the reading one; 0 cuts on the reading thread alone).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
folder=${1:-/tmp/sifta-bench}
runs=${2:-5}
build=${SIFTA_BUILD:-$repo/build-bench}

mkdir -p "$folder"
folder=$(cd "$folder" && pwd)
case "$folder/" in
  "$repo"/*) echo "throughput.sh: the folder must lie outside the repository" >&2; exit 64 ;;
esac

if [[ ! -x $build/sifta-batch || ! -x $build/sifta-gen ]]; then
  cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSIFTA_BUILD_UI=OFF -DSIFTA_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target sifta-batch sifta-gen >/dev/null
fi
batch=$build/sifta-batch
workers=()
[[ -n ${SIFTA_WORKERS:-} ]] && workers=("--workers=$SIFTA_WORKERS")
command -v mlr >/dev/null || { echo "throughput.sh: Miller (mlr, Debian package miller) is missing" >&2; exit 64; }

cd "$folder"

# ---- The tables ----

# table SIZE_MB: generates t<SIZE>.csv once; its line from sifta-gen is kept
# in t<SIZE>.info ("records R codes C first F last L bytes B").
table() {
  if [[ ! -s t$1.csv || ! -s t$1.info ]]; then
    echo "generating t$1.csv ..." >&2
    "$build/sifta-gen" "$1" "t$1.csv" > "t$1.info"
  fi
}
info() { awk -v key="$2" '{ for (i = 1; i < NF; ++i) if ($i == key) print $(i + 1) }' "t$1.info"; }

table 1000
table 100
records=$(info 1000 records)
bytes=$(info 1000 bytes)
first_code=$(info 1000 first)
codes_1pct=$(( $(info 1000 codes) / 100 ))
last_code=$(( first_code + codes_1pct - 1 ))
rows_per_code=20  # sifta-gen writes 20 industries per area code
mb=$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }')

# The expected result of T5, counted once with Python's csv reader: cell 1
# (item 6) with quotes and commas deleted, 4 bytes, 1000..1999.
if [[ ! -s t1000.T5count ]]; then
  python3 - t1000.csv > t1000.T5count <<'EOF'
import csv, sys
n = 0
with open(sys.argv[1], encoding="latin-1", newline="") as f:
    rows = csv.reader(f)
    next(rows)
    for row in rows:
        key = row[5].replace(",", "")
        if len(key) == 4 and "1000" <= key <= "1999":
            n += 1
print(n)
EOF
fi
t5_expected=$(cat t1000.T5count)

# ---- Conditions files ----

extracts=${SIFTA_EXTRACTS:-$folder}
mkdir -p "$extracts"

# conditions NAME SOURCE RECORDS-JSON [RID-JSON CELLS-JSON [EXTRA]]
conditions() {
  local name=$1 source=$2 recs=$3
  local rid=${4:-'{"choice": "listed", "rows": [["1", ""]]}'}
  local cells=${5:-'{"choice": "listed", "rows": [["1", "5"], ["20", "25"]]}'}
  local extra=${6:-}
  cat > "$name.json" <<EOF
{"source": "$source", "extract": "$extracts/out-$name.csv", "rid": $rid, "cells": $cells, $extra
 "records": $recs}
EOF
}
all='{"choice": "all"}'
code_range="[[\"$first_code\", \"$last_code\"]]"
for size in 1000 100; do
  conditions "T3-$size" "t$size.csv" '{"mode": "count", "keys": [["1", "1000"]]}' "$all" "$all"
  conditions "T4g-$size" "t$size.csv" "{\"mode\": \"code\", \"keys\": [[\"1\", \"\"]], \"codes\": $code_range, \"grouping\": \"grouped\"}"
done
conditions T1 t1000.csv '{"mode": "all"}'
conditions T2 t1000.csv '{"mode": "all"}' "$all" "$all"
conditions T4 t1000.csv "{\"mode\": \"code\", \"keys\": [[\"1\", \"\"]], \"codes\": $code_range, \"grouping\": \"unknown\"}"
conditions T5 t1000.csv '{"mode": "value", "keys": [["1", ""]], "codes": [["1000", "1999"]]}'
conditions T6 t1000.csv '{"mode": "all"}' "" "" '"zeroNonNumeric": true, "zeroSpecial": true, "special": ["0", "99"],'
conditions T2u t1000.csv '{"mode": "all"}' "$all" "$all" '"outputEncoding": "utf-8",'
conditions T1c t1000.csv '{"mode": "all"}' "" "" '"sourceColumn": true,'
# What T2u must write, converted once by the system's iconv.
[[ -s t1000.utf8 ]] || iconv -f CP932 -t UTF-8 t1000.csv > t1000.utf8
# T1 and T2 once more with the extract thrown away: the cost of the record
# loop without the kernel's cost of writing a file (some 0.2-0.4 s per GB).
sed 's|"extract": "[^"]*"|"extract": "/dev/null"|' T1.json > T1-null.json
sed 's|"extract": "[^"]*"|"extract": "/dev/null"|' T2.json > T2-null.json

# ---- Timing ----

now() { date +%s.%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
mbps() { awk -v s="$1" -v m="$2" 'BEGIN { printf "%.0f", m / s }'; }

# timed COMMAND...: the median wall time of $runs runs, in seconds.
timed() {
  local times=() start
  for ((i = 0; i < runs; ++i)); do
    start=$(now)
    "$@" >/dev/null
    times+=("$(awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }')")
  done
  printf '%s\n' "${times[@]}" | median
}

rm -f peak.rss
# sifta NAME READ WRITTEN: runs NAME.json $runs times, checking every run's
# counts (records read, records written); prints the median seconds.
sifta() {
  local name=$1 read=$2 written=$3 times=() start out got_read got_written
  for ((i = 0; i < runs; ++i)); do
    start=$(now)
    # Every table is beyond Excel's rows: that notice is expected, not shown.
    out=$(/usr/bin/time -f %M -o "$name.rss" "$batch" "${workers[@]}" "$name.json" 2>"$name.err")
    grep -v 'Excelで開けるのは' "$name.err" >&2 || true
    rm -f "$name.err"
    times+=("$(awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }')")
    got_read=$(sed -n 's/.*元ﾌｧｲﾙﾚｺｰﾄﾞ数.*：//p' <<<"$out" | tr -d ', ')
    got_written=$(sed -n 's/.*抽出ﾌｧｲﾙﾚｺｰﾄﾞ数：//p' <<<"$out" | tr -d ', ')
    if [[ ${got_read:-0} != "$read" || ${got_written:-0} != "$written" ]]; then
      echo "throughput.sh: $name read ${got_read:-0} and wrote ${got_written:-0} records, not $read and $written" >&2
      exit 1
    fi
    if (( i == 0 )) && [[ $name != *-null ]]; then
      local lines
      lines=$(wc -l < "$extracts/out-$name.csv")
      if (( lines != written + 1 )); then
        echo "throughput.sh: out-$name.csv has $lines lines, not $((written + 1))" >&2
        exit 1
      fi
      if [[ $name == T2 ]] && ! cmp -s t1000.csv "$extracts/out-T2.csv"; then
        echo "throughput.sh: the extract of T2 differs from its source" >&2
        exit 1
      fi
      if [[ $name == T2u ]] && ! cmp -s t1000.utf8 "$extracts/out-T2u.csv"; then
        echo "throughput.sh: the extract of T2u differs from iconv's UTF-8 of the source" >&2
        exit 1
      fi
    fi
    tail -n 1 "$name.rss" >> peak.rss  # maximum resident set, KiB
    rm -f "$extracts/out-$name.csv" "$name.rss"  # dropped before it reaches the disk
  done
  printf '%s\n' "${times[@]}" | median
}

# ---- Runs ----

cat t1000.csv t100.csv > /dev/null  # into the page cache
echo "file: $folder/t1000.csv, $mb MB, $records records; extracts in $extracts; median of $runs runs; ${workers[*]:-default workers}" >&2

t_wc=$(timed wc -l t1000.csv)
t_cat=$(timed sh -c 'cat t1000.csv > /dev/null')
# The writing limit: the file copied into the extracts' folder, as T2 must
# at the least write it; timed like the extracts (the copy removed between runs).
cp_times=()
for ((i = 0; i < runs; ++i)); do
  start=$(now)
  cat t1000.csv > "$extracts/out-copy.csv"
  cp_times+=("$(awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }')")
  rm -f "$extracts/out-copy.csv"
done
t_copy=$(printf '%s\n' "${cp_times[@]}" | median)
wc_mbps=$(mbps "$t_wc" "$mb")

declare -A secs
secs[T1]=$(sifta T1 "$records" "$records")
secs[T2]=$(sifta T2 "$records" "$records")
secs[T3]=$(sifta T3-1000 1001 1000)
t4_written=$(( codes_1pct * rows_per_code ))
secs[T4]=$(sifta T4 "$records" "$t4_written")
secs[T4g]=$(sifta T4g-1000 $(( t4_written + 1 )) "$t4_written")
secs[T5]=$(sifta T5 "$records" "$t5_expected")
secs[T6]=$(sifta T6 "$records" "$records")
secs[T2u]=$(sifta T2u "$records" "$records")
secs[T1c]=$(sifta T1c "$records" "$records")
secs[T1n]=$(sifta T1-null "$records" "$records")
secs[T2n]=$(sifta T2-null "$records" "$records")
secs[T3s]=$(sifta T3-100 1001 1000)
secs[T4gs]=$(sifta T4g-100 $(( t4_written + 1 )) "$t4_written")

# Miller on the same work where it can do it: cutting the same columns, and
# the same code range by a numeric filter. It reads one file of the table's
# layout; by default the 100 MB one (it is some 40 times slower), its MB/s
# being that of any size. SIFTA_MILLER_ON_FULL=1 times it on the 1 GB file.
miller_table=100
[[ ${SIFTA_MILLER_ON_FULL:-0} == 1 ]] && miller_table=1000
miller_mb=$(awk -v b="$(info $miller_table bytes)" 'BEGIN { printf "%.1f", b / 1e6 }')
miller_runs=$(( runs < 3 ? runs : 3 ))
mlr_t1() { mlr --csv --implicit-csv-header --headerless-csv-output cut -o -f 1,6,7,8,9,10,25,26,27,28,29,30 "t$miller_table.csv" > "$extracts/out-mlr.csv"; }
mlr_t4() { mlr --csv --implicit-csv-header --headerless-csv-output filter "\$1 >= $first_code && \$1 <= $last_code" "t$miller_table.csv" > "$extracts/out-mlr.csv"; }
runs_saved=$runs; runs=$miller_runs
t_mlr1=$(timed mlr_t1)
[[ $(wc -l < "$extracts/out-mlr.csv") -eq $(( $(info $miller_table records) + 1 )) ]] || { echo "throughput.sh: Miller's T1 lost records" >&2; exit 1; }
t_mlr4=$(timed mlr_t4)
[[ $(wc -l < "$extracts/out-mlr.csv") -eq $t4_written ]] || { echo "throughput.sh: Miller's T4 kept $(wc -l < "$extracts/out-mlr.csv") records" >&2; exit 1; }
rm -f "$extracts/out-mlr.csv"
runs=$runs_saved
mlr1_mbps=$(mbps "$t_mlr1" "$miller_mb")
mlr4_mbps=$(mbps "$t_mlr4" "$miller_mb")

# ---- Report ----

printf '\n%-34s %8s %8s %9s %9s\n' task seconds MB/s "x wc -l" "x Miller"
row() {  # row LABEL SECONDS [MILLER_MBPS]
  local rate
  rate=$(mbps "$2" "$mb")
  printf '%-34s %8.3f %8s %9.2f' "$1" "$2" "$rate" "$(awk -v a="$rate" -v b="$wc_mbps" 'BEGIN { print a / b }')"
  if [[ -n ${3:-} ]]; then printf ' %9.1f' "$(awk -v a="$rate" -v b="$3" 'BEGIN { print a / b }')"; fi
  printf '\n'
}
row "wc -l" "$t_wc"
row "cat > /dev/null" "$t_cat"
row "cat > extract (writing limit)" "$t_copy"
row "T1 one RID item, two cell ranges" "${secs[T1]}" "$mlr1_mbps"
row "T2 everything" "${secs[T2]}"
row "T3 first 1000 records" "${secs[T3]}"
row "T4 1% of the codes, not grouped" "${secs[T4]}" "$mlr4_mbps"
row "T4 1% of the codes, grouped" "${secs[T4g]}"
row "T5 value range of one cell" "${secs[T5]}"
row "T6 T1 with both zeroings" "${secs[T6]}"
row "T2u T2 in UTF-8" "${secs[T2u]}"
row "T1c T1 with the source column" "${secs[T1c]}"
row "T1 into /dev/null" "${secs[T1n]}" "$mlr1_mbps"
row "T2 into /dev/null" "${secs[T2n]}"
printf '%-34s %8s %8s\n' "Miller T1 (t$miller_table.csv)" "$t_mlr1" "$mlr1_mbps"
printf '%-34s %8s %8s\n' "Miller T4 (t$miller_table.csv)" "$t_mlr4" "$mlr4_mbps"
printf '\n%-34s %8s %8s %9s\n' "early stop" "100 MB" "1 GB" ratio
printf '%-34s %8.3f %8.3f %9.2f\n' "T3 first 1000 records" "${secs[T3s]}" "${secs[T3]}" "$(awk -v a="${secs[T3]}" -v b="${secs[T3s]}" 'BEGIN { print a / b }')"
printf '%-34s %8.3f %8.3f %9.2f\n' "T4 grouped" "${secs[T4gs]}" "${secs[T4g]}" "$(awk -v a="${secs[T4g]}" -v b="${secs[T4gs]}" 'BEGIN { print a / b }')"
peak_kib=$(sort -n peak.rss | tail -n 1)
printf '\npeak memory of sifta-batch (1 GB and 100 MB tasks): %d KiB\n' "$peak_kib"

# ---- Targets ----

fails=0
check() {  # check TEXT CONDITION
  if awk "BEGIN { exit !($2) }"; then echo "ok    $1"; else echo "MISS  $1"; fails=$((fails + 1)); fi
}
echo
for task in T1 T2 T4 T5 T6; do
  check "$task at >= 1/2 of wc -l" "$(mbps "${secs[$task]}" "$mb") >= $wc_mbps / 2"
done
check "T2u at >= 1/4 of wc -l" "$(mbps "${secs[T2u]}" "$mb") >= $wc_mbps / 4"
check "T1c within 10% of T1" "${secs[T1c]} <= 1.1 * ${secs[T1]}"
check "T1 at >= 30x Miller" "$(mbps "${secs[T1]}" "$mb") >= 30 * $mlr1_mbps"
check "T4 at >= 30x Miller" "$(mbps "${secs[T4]}" "$mb") >= 30 * $mlr4_mbps"
check "T3 on 1 GB within 2x of 100 MB" "${secs[T3]} <= 2 * ${secs[T3s]}"
check "T4 grouped on 1 GB within 2x of 100 MB" "${secs[T4g]} <= 2 * ${secs[T4gs]}"
check "peak memory under 64 MiB" "$peak_kib < 65536"
exit $(( fails > 0 ))
