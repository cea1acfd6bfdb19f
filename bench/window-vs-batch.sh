#!/usr/bin/env bash
# A run through the main window (offscreen, servicing window events as the
# program does) against sifta-batch on the same generated file with the same
# conditions: every RID item, cells 1 to 20, every record. Both extracts must
# be byte for byte the same; the window may take at most 10% longer.
#
#   bench/window-vs-batch.sh [SIZE_MB] [ROUNDS]      (defaults: 1000 MB, 3 rounds)
#
# BUILD names the build folder (default build-bench, Release, UI on); WORK the
# folder for the generated file and the extracts (default a temporary folder,
# removed at the end).
set -euo pipefail
cd "$(dirname "$0")/.."
size_mb=${1:-1000}
rounds=${2:-3}
build=${BUILD:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSIFTA_BUILD_UI=ON >/dev/null
cmake --build "$build" -j2 --target sifta-gen sifta-batch ui_tests >/dev/null

work=${WORK:-$(mktemp -d)}
[ -n "${WORK:-}" ] || trap 'rm -rf "$work"' EXIT
source="$work/bench-$size_mb.csv"
[ -s "$source" ] || "$build/sifta-gen" "$size_mb" "$source" >/dev/null
cat >"$work/conditions.json" <<JSON
{
  "source": "$source",
  "extract": "$work/batch-out.csv",
  "rid": {"choice": "all"},
  "cells": {"choice": "listed", "rows": [["1", "20"]]},
  "records": {"mode": "all"}
}
JSON
bytes=$(stat -c %s "$source")
cat "$source" >/dev/null  # into the page cache for both sides

now() { date +%s.%N; }
calc() { awk "BEGIN { print $1 }"; }
best_batch=999999
best_window=999999
for round in $(seq "$rounds"); do
  start=$(now)
  "$build/sifta-batch" "$work/conditions.json" >"$work/batch-list.txt"
  batch=$(calc "$(now) - $start")

  window=$(QT_QPA_PLATFORM=offscreen SIFTA_UI_TESTS=RunWindowBenchTest \
    SIFTA_BENCH_SOURCE="$source" SIFTA_BENCH_EXTRACT="$work/window-out.csv" \
    "$build/tests/ui_tests" 2>/dev/null | tee "$work/window-list.txt" |
    awk '/^window-run-seconds/ {print $2}')
  [ -n "$window" ] || { echo "the window run failed" >&2; exit 1; }
  cmp -s "$work/batch-out.csv" "$work/window-out.csv" || { echo "the extracts differ" >&2; exit 1; }
  grep -q "$(tail -1 "$work/batch-list.txt")" "$work/window-list.txt" ||
    { echo "the record counts differ" >&2; exit 1; }
  printf 'round %d: batch %.3f s, window %.3f s\n' "$round" "$batch" "$window"
  best_batch=$(calc "($batch < $best_batch) ? $batch : $best_batch")
  best_window=$(calc "($window < $best_window) ? $window : $best_window")
done

ratio=$(calc "$best_window / $best_batch")
printf 'file %d bytes, %s\n' "$bytes" "$(tail -2 "$work/batch-list.txt" | head -1 | sed 's/^ *//')"
printf 'best: sifta-batch %.3f s (%.0f MB/s), window %.3f s (%.0f MB/s), window/batch %.3f\n' \
  "$best_batch" "$(calc "$bytes / 1000000 / $best_batch")" \
  "$best_window" "$(calc "$bytes / 1000000 / $best_window")" "$ratio"
if [ "$(calc "($ratio > 1.10) ? 1 : 0")" = 1 ]; then
  echo "the window run is more than 10% slower than sifta-batch" >&2
  exit 1
fi
