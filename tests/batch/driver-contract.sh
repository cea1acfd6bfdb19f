#!/usr/bin/env bash
# The exit status and messages of sifta-batch when the run cannot go as
# planned: one row per case, each checked for its exit status, a line of its
# standard error, the files it left, and that every file it read is
# unchanged (by checksum).
#
#   driver-contract.sh SIFTA_BATCH
set -uo pipefail

batch=$(realpath "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1

heading=$(printf 'ID,\x96\xbc\x91\x4f,\xbe\xd91,\xbe\xd92')  # ID,名前,ｾﾙ1,ｾﾙ2
{
  printf '%s\r\n' "$heading"
  for n in $(seq 1 400); do printf '%d,abcdefgh,%d,%d\r\n' "$n" "$n" "$n"; done
} >data.csv
mkfifo pipe.csv
mkdir folder

# conditions FILE SOURCE EXTRACT [EXTRA JSON MEMBERS]
conditions() {
  printf '{"rid": {"choice": "all"}, "cells": {"choice": "all"}, "records": {"mode": "all"},
           "source": "%s", "extract": "%s"%s}\n' "$2" "$3" "${4:-}" >"$1"
}
conditions good.json data.csv out.csv
conditions nul-extract.json data.csv 'new.csv\u0000.bak'
conditions nul-source.json 'data.csv\u0000x' out.csv
conditions tab-layout.json 'd@.csv' out.csv ', "layout": "d\t01.csv"'
conditions twice.json data.csv out.csv ', "source": "data.csv"'
conditions twice-nested.json data.csv out.csv ', "series": [{"first": "01", "first": "02"}]'
conditions blank.json '   ' out.csv
conditions pipe.json pipe.csv out.csv
conditions device.json /dev/zero out.csv

failed=0
fail() {
  echo "FAIL [$name]: $*" >&2
  failed=1
}

inputs() { sha256sum data.csv ./*.json; }
before=$(inputs)

# check NAME WANTED_STATUS STATUS STDERR_LINE [FILE THAT MUST EXIST | -]
check() {
  name=$1
  [[ "$3" == "$2" ]] || fail "exit status $3, expected $2"
  [[ -z "$4" ]] || grep -qF -- "$4" stderr || fail "standard error lacks: $4"$'\n'"$(cat stderr)"
  [[ "$(inputs)" == "$before" ]] || fail "a file it read was changed"
  compgen -G '*.sifta-[tl][mo][pc]*' >/dev/null && fail "a temporary or claim file was left"
  if [[ "${5:--}" == - ]]; then
    [[ ! -e out.csv ]] || fail "out.csv was written"
  else
    [[ -s "$5" ]] || fail "$5 was not written"
  fi
  rm -f out.csv
}

# A case that fails before the run: name, conditions, status, stderr line.
while IFS='|' read -r name file status line; do
  [[ -z "$name" ]] && continue
  timeout 20 "$batch" "$file" >stdout 2>stderr </dev/null
  check "$name" "$status" $? "$line"
done <<'EOF'
conditions file is a folder|folder|2|フォルダーはファイルとして開けません
conditions file missing|missing.json|2|ファイルが見つかりません
NUL in the extract name|nul-extract.json|64|extract: 制御文字 U+0000 があります。
NUL in the source name|nul-source.json|64|source: 制御文字 U+0000 があります。
tab in the layout name|tab-layout.json|64|layout: 制御文字 U+0009 があります。
a key given twice|twice.json|64|source: 2回書かれています。
a nested key given twice|twice-nested.json|64|series[0].first: 2回書かれています。
blank source name|blank.json|2|ファイルが見つかりません
a FIFO as the source|pipe.json|2|パイプやデバイスはファイルとして読めません
a device as the source|device.json|2|パイプやデバイスはファイルとして読めません
EOF

# Standard output that cannot be written: the record count list is lost.
"$batch" good.json >/dev/full 2>stderr
check "record count list not written" 2 $? "ﾚｺｰﾄﾞ数一覧を標準出力に書き出せませんでした" out.csv

# Started without standard streams: no file the run opens takes their place,
# so the refusal of the second @ entry goes nowhere, not into the extract.
cp data.csv d01.csv
conditions closed.json 'd@.csv' out.csv ', "layout": "d01.csv", "series": [{"first": "01"}, {"first": "123456789"}]'
before=$(inputs)
"$batch" closed.json <&- >&- 2>&-
status=$?
name="closed standard streams"
cmp -s out.csv data.csv || fail "out.csv does not hold exactly the records of d01.csv"
check "$name" 1 $status "" out.csv
rm -f d01.csv closed.json
before=$(inputs)

# More cutting threads than a run starts: lowered, not refused.
"$batch" --workers=1000 good.json >stdout 2>stderr
status=$?
name="more workers than a run starts"
cmp -s out.csv data.csv || fail "out.csv is not data.csv"
check "$name" 0 $status "" out.csv

# A file size limit: the write error path, the extract named as incomplete.
(ulimit -f 4 && exec "$batch" good.json >stdout 2>stderr)
status=$?
name="file size limit"
[[ $(stat -c %s out.csv) == 4096 ]] && cmp -s -n 4096 out.csv data.csv ||
  fail "out.csv does not hold the 4096 bytes written"
check "file size limit" 2 $status "次の抽出ﾌｧｲﾙは不完全です" out.csv

# Ctrl-C while the extract is written: the extract written so far, named.
{
  printf '%s\r\n' "$heading"
  seq 1 6000000 | sed 's/.*/&,abcdefgh,&,&\r/'
} >big.csv
conditions big.json big.csv out.csv
before=$(inputs)
"$batch" big.json >stdout 2>stderr &
pid=$!
for _ in $(seq 1 2000); do
  compgen -G 'out.csv.*.sifta-tmp' >/dev/null && break
  sleep 0.01
done
kill -INT "$pid"
wait "$pid"
status=$?
name="Ctrl-C"
cmp -s -n "$(stat -c %s out.csv)" out.csv big.csv || fail "out.csv is not the records written so far"
[[ "$(stat -c %s out.csv)" -lt "$(stat -c %s big.csv)" ]] || fail "the run ended before the cancel"
check "Ctrl-C" 130 $status $'キャンセルしました' out.csv

exit $failed
