#!/usr/bin/env bash
# Runs the widget tests under Wine, as CTest asks (SIFTA_UI_TESTS names the
# class): Qt Test writes its log with OutputDebugString on Windows, so it is
# given a file, shown afterwards. Wine's window driver needs a display even
# for the offscreen platform: without one a virtual display is started.
#
#   ui-test.sh WINE UI_TESTS_EXE
set -uo pipefail
wine=$1
program=$2
log=$(mktemp --suffix=.txt)
trap 'rm -f "$log"' EXIT
run=("$wine" "$program" -o "$(WINEDEBUG=-all "$wine" winepath -w "$log" 2>/dev/null),txt")
if [[ -z ${DISPLAY:-} ]]; then
  xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}" >/dev/null 2>&1
else
  "${run[@]}" >/dev/null 2>&1
fi
status=$?
iconv -f UTF-8 -t UTF-8 -c "$log" | tr -d '\r'
exit $status
