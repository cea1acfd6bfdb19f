#!/usr/bin/env bash
# The Linux driver and the Windows driver (under Wine) give the same record
# count list, the same exit status and byte-identical extracts: on the input
# of every golden case and on a generated table of about 12 MB (quoted
# commas, double-byte names whose trail byte is 0x5C or 0x40).
#
#   compare-drivers.sh LINUX_SIFTA_BATCH WINDOWS_SIFTA_BATCH SIFTA_GEN CASES_FOLDER [SKIPPED_CASE...]
#
# WINDOWS_SIFTA_BATCH is a command that runs sifta-batch.exe under Wine.
set -uo pipefail

linux=$(realpath "$1")
windows=$(realpath "$2")
gen=$(realpath "$3")
cases=$(realpath "$4")
shift 4
skipped=" $* "
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

failed=0
fail() {
  echo "FAIL [$1]: $2" >&2
  failed=1
}

# compare NAME FOLDER: runs both drivers on a copy of FOLDER each, then
# compares their exit status, standard output and every file of the folders.
compare() {
  local name=$1 folder=$2 side status
  for side in linux windows; do
    rm -rf "$scratch/$side"
    cp -a "$folder" "$scratch/$side"
    rm -rf "$scratch/$side/expected" "$scratch/$side/file-size-limit"
    status=0
    (cd "$scratch/$side" && "${!side}" conditions.json >"$scratch/$side.stdout" 2>"$scratch/$side.stderr") || status=$?
    echo "$status" >"$scratch/$side.status"
  done
  cmp -s "$scratch/linux.status" "$scratch/windows.status" ||
    fail "$name" "exit status $(cat "$scratch/linux.status") on Linux, $(cat "$scratch/windows.status") on Windows"
  cmp -s "$scratch/linux.stdout" "$scratch/windows.stdout" || {
    fail "$name" "the record count lists differ"
    diff -u "$scratch/linux.stdout" "$scratch/windows.stdout" >&2
  }
  diff -r --no-dereference "$scratch/linux" "$scratch/windows" >&2 || fail "$name" "the files differ"
}

for folder in "$cases"/*/; do
  name=$(basename "$folder")
  [[ "$skipped" == *" $name "* ]] && continue
  compare "$name" "$folder"
done

# The generated table under three sets of conditions: everything; a few RID
# items and cells, the quoted marks written as 0; the records of two code
# ranges of the key.
table="$scratch/table"
mkdir "$table"
"$gen" 12 "$table/data.csv" 7 >/dev/null || fail table "sifta-gen failed"
[[ $(stat -c %s "$table/data.csv") -ge 10000000 ]] || fail table "the table is smaller than 10 MB"
LC_ALL=C grep -qaP '[\x81-\x9f\xe0-\xfc]\x5c' "$table/data.csv" &&
  LC_ALL=C grep -qaP '[\x81-\x9f\xe0-\xfc]\x40' "$table/data.csv" &&
  LC_ALL=C grep -qaP '(^|,)"[^"]*,[^"]*"(,|\r)' "$table/data.csv" ||
  fail table "the table lacks trail bytes 0x5C or 0x40 or quoted commas"
conditions=(
  '"rid": {"choice": "all"}, "cells": {"choice": "all"}, "records": {"mode": "all"}'
  '"rid": {"choice": "listed", "rows": [["1", "2"]]}, "cells": {"choice": "listed", "rows": [["1", "3", "11", "31"]]},
   "zeroNonNumeric": true, "zeroSpecial": true, "special": ["-", "X"], "records": {"mode": "all"}'
  '"rid": {"choice": "all"}, "cells": {"choice": "listed", "rows": [["2", "7"]]},
   "records": {"mode": "code", "keys": [["1", ""]], "codes": [["1000003", "1000040"], ["1000100", "1000120"]], "grouping": "grouped", "allExcept": false}'
)
n=0
for c in "${conditions[@]}"; do
  n=$((n + 1))
  printf '{%s, "source": "data.csv", "extract": "out.csv"}\n' "$c" >"$table/conditions.json"
  compare "table-$n" "$table"
  [[ -s "$scratch/linux/out.csv" ]] || fail "table-$n" "no extract written"
done

exit $failed
