#!/usr/bin/env bash
# Makes the Wine prefix of the Windows tests (WINEPREFIX): its drive C:, and
# no debugger, so that a program that crashes ends with a failing exit status
# instead of the debugger's.
set -euo pipefail
wine=$1
"$wine" wineboot -i
"$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ \
  /d sifta-no-debugger /f >/dev/null
