#!/usr/bin/env bash
# What a user waits for in the program against sifta-batch on the same file
# and conditions. The program runs on a virtual X display (Xvfb) with a window
# manager (openbox), is given its conditions through "条件を開く..." as a user
# would, and is clicked on "抽出する" with xdotool; the time runs from the
# click to the closing message's box on the screen, and to the progress
# window, as the window manager lists them (xprop -spy, no polling that
# would take a core from the run). sifta-batch is timed from its start to
# its end. Two cuts of a generated table:
#   cells  every RID item and cells 1 to 20 of every record
#   codes  the same items of the records whose code (RID item 1) lies in 1%
#          of the codes, every record read
# Both extracts must be byte for byte the same; the program may take at most
# 10% (plus 0.1 s) longer than the driver (best of ROUNDS each).
#
#   bench/window-vs-batch.sh [SIZE_MB] [ROUNDS]      (defaults: 1000 MB, 3 rounds)
#
# BUILD names the build folder (default build-bench, Release, UI on); WORK the
# folder for the generated file (default a temporary folder, removed at the
# end); EXTRACTS the folder of the two extracts (default a folder in /dev/shm,
# so that the disk's writing back of one run does not slow the next). Needs
# xvfb, openbox, xdotool and x11-utils.
set -euo pipefail
cd "$(dirname "$0")/.."
size_mb=${1:-1000}
rounds=${2:-3}
build=${BUILD:-build-bench}
for tool in Xvfb openbox xdotool xprop; do
  command -v $tool >/dev/null || { echo "window-vs-batch.sh: $tool is missing (scripts/deps installs it)" >&2; exit 64; }
done
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSIFTA_BUILD_UI=ON >/dev/null
cmake --build "$build" -j2 --target sifta-gen sifta-batch sifta >/dev/null
build=$(cd "$build" && pwd)

work=${WORK:-$(mktemp -d)}
[ -n "${WORK:-}" ] || trap 'rm -rf "$work"' EXIT
source="$work/bench-$size_mb.csv"
[ -s "$source" ] && [ -s "$source.info" ] || "$build/sifta-gen" "$size_mb" "$source" >"$source.info"
info() { awk -v key="$1" '{ for (i = 1; i < NF; ++i) if ($i == key) print $(i + 1) }' "$source.info"; }
first=$(info first)
last=$((first + $(info codes) / 100 - 1))
bytes=$(stat -c %s "$source")
extracts=${EXTRACTS:-$(mktemp -d /dev/shm/sifta-wvb.XXXXXX)}

# conditions TASK EXTRACT: the conditions file of one cut.
conditions() {
  local records='{"mode": "all"}'
  [ "$1" = codes ] && records="{\"mode\": \"code\", \"keys\": [[\"1\", \"\"]], \"codes\": [[\"$first\", \"$last\"]]}"
  cat <<JSON
{"source": "$source", "extract": "$2", "rid": {"choice": "all"},
 "cells": {"choice": "listed", "rows": [["1", "20"]]}, "records": $records}
JSON
}

now() { date +%s.%N; }
calc() { awk "BEGIN { print $1 }"; }

# The display, its window manager and the program, for the whole bench.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
pids=($!)
export DISPLAY=$display
cleanup() {
  kill "${pids[@]}" 2>/dev/null || true
  [ -n "${WORK:-}" ] || rm -rf "$work"
  [ -n "${EXTRACTS:-}" ] || rm -rf "$extracts"
}
trap cleanup EXIT
sleep 1
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1
(cd "$work" && exec "$build/sifta" >/dev/null 2>&1) &
pids+=($!)
window=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name 'Sifta 1.26' 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "window-vs-batch.sh: the program's main window did not appear" >&2; exit 1; }
sleep 1

# open_conditions FILE: the context menu's "条件を開く...", the file typed into
# the open dialog.
open_conditions() {
  xdotool mousemove --window "$window" 600 500 click 3
  sleep 0.5
  xdotool mousemove --window "$window" 660 578 click 1  # the menu's last item
  sleep 1
  xdotool type --delay 5 "$1"
  xdotool key Return
  sleep 2
}

# windowed_run: clicks "抽出する" and prints the seconds to the progress window
# and to the closing box (the window manager's list of windows grows, shrinks
# when the progress window goes, and grows again with the box).
windowed_run() {
  local start
  stdbuf -oL xprop -root -spy _NET_CLIENT_LIST | while read -r line; do
    echo "$(now) $(tr -cd ',' <<<"$line" | wc -c)"
  done >"$work/spy.txt" &
  sleep 0.5
  start=$(now)
  xdotool mousemove --window "$window" 54 521 click 1  # Button3, "抽出する"
  for _ in $(seq 600); do
    [ "$(awk 'NR > 1 { print $2 }' "$work/spy.txt" | tr -d '\n')" = 101 ] && break
    sleep 0.1
  done
  pkill -f "xprop -root -spy _NET_CLIENT_LIST" || true
  awk -v s="$start" 'NR == 2 { p = $1 - s } NR == 4 { b = $1 - s } END { if (b) printf "%.3f %.3f\n", p, b }' "$work/spy.txt"
  xdotool key Return  # the closing box's OK
  sleep 1
}

cat "$source" >/dev/null  # into the page cache for both sides
misses=0
for task in cells codes; do
  conditions "$task" "$extracts/batch-out.csv" >"$work/$task-batch.json"
  conditions "$task" "$extracts/window-out.csv" >"$work/$task-window.json"
  open_conditions "$work/$task-window.json"
  best_batch=999999
  best_window=999999
  best_progress=999999
  for round in $(seq "$rounds"); do
    rm -f "$extracts/batch-out.csv" "$extracts/window-out.csv"
    sync
    start=$(now)
    "$build/sifta-batch" "$work/$task-batch.json" >"$work/batch-list.txt"
    batch=$(calc "$(now) - $start")
    sync
    read -r progress windowed < <(windowed_run) || true
    [ -n "${windowed:-}" ] || { echo "$task: the program's run did not end with its closing box" >&2; exit 1; }
    cmp -s "$extracts/batch-out.csv" "$extracts/window-out.csv" || { echo "$task: the extracts differ" >&2; exit 1; }
    printf '%s round %d: sifta-batch %.3f s, program %.3f s (progress window after %.3f s)\n' \
      "$task" "$round" "$batch" "$windowed" "$progress"
    best_batch=$(calc "($batch < $best_batch) ? $batch : $best_batch")
    best_window=$(calc "($windowed < $best_window) ? $windowed : $best_window")
    best_progress=$(calc "($progress < $best_progress) ? $progress : $best_progress")
  done
  printf '%s: file %d bytes, %s\n' "$task" "$bytes" "$(tail -1 "$work/batch-list.txt" | sed 's/^ *//')"
  printf '%s best: sifta-batch %.3f s, program %.3f s, program/batch %.3f, progress window after %.3f s\n' \
    "$task" "$best_batch" "$best_window" "$(calc "$best_window / $best_batch")" "$best_progress"
  if [ "$(calc "($best_window > 1.10 * $best_batch + 0.1) ? 1 : 0")" = 1 ]; then
    echo "MISS  $task: the program takes more than 10% (plus 0.1 s) longer than sifta-batch"
    misses=$((misses + 1))
  else
    echo "ok    $task: the program within 10% (plus 0.1 s) of sifta-batch"
  fi
done
exit $((misses > 0))
