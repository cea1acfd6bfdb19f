#!/usr/bin/env bash
# The Windows program as a user starts it, under Wine on a virtual display
# (Xvfb, with openbox as the window manager): the main window is found by its
# caption, a conditions file (every item of every record of the sample) is
# opened through the context menu's "条件を開く..." in the file dialog,
# "抽出する" is clicked, the closing message is answered, the extract is
# compared with the sample byte for byte, a screenshot of the main window is
# saved, and "おわり" ends the program.
#
#   smoke-test.sh WINE SIFTA_EXE SAMPLE_CSV [SCREENSHOT_PNG]
#
# The Wine prefix is WINEPREFIX's (made when it is missing); the DLLs come
# from beside the program or from WINEPATH.
set -uo pipefail
wine=$1
program=$2
sample=$3
screenshot=${4:-}
caption='ＣＳＶレコードの抽出( Sifta 1.26 )'

work=$(mktemp -d)
pids=()
cleanup() {
  kill "${pids[@]}" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  [[ -n ${DISPLAY:-} ]] && import -window root "$work/failed.png" 2>/dev/null &&
    cp "$work/failed.png" "${screenshot:-/tmp/smoke}.failed.png" 2>/dev/null
  exit 1
}
windows_name() { WINEDEBUG=-all "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

export WINEDEBUG=-all
[[ -d ${WINEPREFIX:-$HOME/.wine} ]] || "$wine" wineboot -i >/dev/null 2>&1
# Wine's own dialogs (the file dialog) draw Japanese in a Japanese font, as a
# Japanese Windows does.
for face in "MS Shell Dlg" "MS Shell Dlg 2" "MS UI Gothic" "Tahoma"; do
  "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d IPAPGothic /f >/dev/null 2>&1
done

cp "$sample" "$work/sample.csv"
source=$(windows_name "$work/sample.csv")
extract=$(windows_name "$work/out.csv")
conditions=$(windows_name "$work/conditions.json")
json() { sed 's/\\/\\\\/g' <<<"$1"; }  # a backslash written twice
printf '{"source": "%s", "extract": "%s", "rid": {"choice": "all"}, "cells": {"choice": "all"}, "records": {"mode": "all"}}\n' \
  "$(json "$source")" "$(json "$extract")" >"$work/conditions.json"

display=:$((200 + RANDOM % 300))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
sleep 1
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

"$wine" "$program" >/dev/null 2>&1 &
program_pid=$!
pids+=($program_pid)
window=""
for _ in $(seq 120); do
  window=$(xdotool search --onlyvisible --name "^$(sed 's/[][().*+?^$]/\\&/g' <<<"$caption")\$" 2>/dev/null | head -1)
  [[ -n $window ]] && break
  sleep 0.5
done
[[ -n $window ]] || fail "no window captioned $caption"
sleep 2

# The context menu (a right click on the window), its last item
# "条件を開く...", the file typed into the open dialog.
xdotool mousemove --window "$window" 600 500 click 3
sleep 1
xdotool key Up
sleep 0.3
xdotool key Return
sleep 3
xdotool type --delay 20 "$conditions"
sleep 0.5
xdotool key Return
sleep 3

# "抽出する", then the closing message's box: OK.
xdotool mousemove --window "$window" 54 521 click 1
box=""
for _ in $(seq 120); do
  box=$(xdotool search --onlyvisible --name '^Sifta126$' 2>/dev/null | head -1)
  [[ -n $box ]] && break
  sleep 0.5
done
[[ -n $box ]] || fail "no closing message after 抽出する"
sleep 1
xdotool key Return
sleep 1
cmp -s "$work/out.csv" "$sample" || fail "the extract is not the sample byte for byte"
if [[ -n $screenshot ]]; then
  xdotool windowactivate "$window" 2>/dev/null
  sleep 1
  import -window "$window" "$screenshot" || fail "no screenshot"
fi

# "おわり" ends the program.
xdotool mousemove --window "$window" 148 521 click 1
for _ in $(seq 40); do
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.5
done
kill -0 "$program_pid" 2>/dev/null && fail "the program did not end on おわり"
echo "ok: the main window, a run through it, an extract equal to the sample, おわり"
