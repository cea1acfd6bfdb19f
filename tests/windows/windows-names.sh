#!/usr/bin/env bash
# File names as a Windows user types them, run by the Windows driver under
# Wine (WINEPREFIX set; C: is its drive_c):
#  - a source and an extract in folders with Japanese names, given with the
#    drive letter and backslashes, also from a conditions file whose name is
#    Japanese; C:\a\b\x.csv creates C:\a and C:\a\b;
#  - an extract that is the source by another spelling (upper case, slash for
#    backslash, a hard link) is refused and the source stays as it was; an
#    extract that is another file is written;
#  - a name with a character Windows forbids or a device name (CON, NUL,
#    COM1, also with an extension) is refused with a message naming it,
#    as a source, an extract or a folder of the extract, and nothing is
#    written.
# With "linux" the Linux driver instead writes extracts of those names.
#
#   windows-names.sh windows WINDOWS_SIFTA_BATCH CASES_FOLDER
#   windows-names.sh linux LINUX_SIFTA_BATCH CASES_FOLDER
set -uo pipefail

platform=$1
batch=$(realpath "$2")
cases=$(realpath "$3")
data="$cases/one-file/data.csv"
want="$cases/one-file/expected/files/out.csv"
scratch=$(mktemp -d)

failed=0
fail() {
  echo "FAIL [$1]: $2" >&2
  failed=1
}

# run NAME SOURCE EXTRACT: a run of the one-file case's conditions with the
# names as JSON texts; its status in $status, its messages in $scratch/stderr.
run() {
  printf '{"rid": {"choice": "all"}, "cells": {"choice": "listed", "rows": [["2"]]},
           "records": {"mode": "all"}, "source": "%s", "extract": "%s"}\n' "$2" "$3" >"$scratch/conditions.json"
  status=0
  (cd "$scratch" && "$batch" conditions.json >"$scratch/stdout" 2>"$scratch/stderr") || status=$?
}

# expect NAME STATUS [STDERR LINE]
expect() {
  [[ "$status" == "$2" ]] || fail "$1" "exit status $status, expected $2: $(cat "$scratch/stderr")"
  [[ $# -lt 3 ]] || grep -qxF -- "$3" "$scratch/stderr" || fail "$1" "no line '$3' in: $(cat "$scratch/stderr")"
}

if [[ "$platform" == linux ]]; then
  trap 'rm -rf "$scratch"' EXIT
  cp "$data" "$scratch/data.csv"
  for name in 'a<b>.csv' 'a:b.csv' 'a\"b.csv' 'a|b?c*.csv' CON NUL NUL.csv com1.csv 'LPT1 .txt'; do
    run "$name" data.csv "$name"
    file=${name//\\\"/\"}
    expect "$name" 0
    cmp -s "$scratch/$file" "$want" || fail "$name" "the extract $file was not written"
  done
  exit $failed
fi

drive="${WINEPREFIX:?}/drive_c"
top="$drive/sifta 名前"
trap 'rm -rf "$scratch" "$top" "$drive/a"' EXIT
rm -rf "$top" "$drive/a"
mkdir -p "$top/元データ"
cp "$data" "$top/元データ/データ.csv"
ln "$top/元データ/データ.csv" "$top/元データ/hard.csv"
source='C:\\sifta 名前\\元データ\\データ.csv'

run japanese "$source" 'C:\\sifta 名前\\抽出先\\結果\\抽出.csv'
expect japanese 0
cmp -s "$top/抽出先/結果/抽出.csv" "$want" || fail japanese "no extract in C:\\sifta 名前\\抽出先\\結果"

# The conditions file in a folder with a Japanese name, given on the command line.
mkdir "$scratch/条件"
printf '{"rid": {"choice": "all"}, "cells": {"choice": "listed", "rows": [["2"]]}, "records": {"mode": "all"},
         "source": "%s", "extract": "C:\\\\sifta 名前\\\\条件から.csv"}\n' "$source" >"$scratch/条件/抽出 条件.json"
status=0
(cd "$scratch" && "$batch" '条件\抽出 条件.json' >/dev/null 2>"$scratch/stderr") || status=$?
expect japanese-conditions 0
cmp -s "$top/条件から.csv" "$want" || fail japanese-conditions "no extract C:\\sifta 名前\\条件から.csv"

run drive-folders "$source" 'C:\\a\\b\\x.csv'
expect drive-folders 0
[[ -d "$drive/a" && -d "$drive/a/b" ]] || fail drive-folders "C:\\a and C:\\a\\b were not created"
cmp -s "$drive/a/b/x.csv" "$want" || fail drive-folders "no extract C:\\a\\b\\x.csv"

same='** 抽出ﾌｧｲﾙが元ﾌｧｲﾙと同じです。'
for extract in 'c:\\SIFTA 名前\\元データ\\データ.CSV' 'C:/sifta 名前/元データ/データ.csv' \
               'C:\\sifta 名前/元データ\\hard.csv' 'C:\\sifta 名前\\..\\sifta 名前\\元データ\\データ.csv'; do
  run "$extract" "$source" "$extract"
  expect "$extract" 1 "$same"
  cmp -s "$top/元データ/データ.csv" "$data" || fail "$extract" "the source was changed"
done
run other-file "$source" 'C:\\sifta 名前\\元データ\\データ2.csv'
expect other-file 0
cmp -s "$top/元データ/データ2.csv" "$want" || fail other-file "no extract データ2.csv"

listing() { (cd "$drive" && find . -maxdepth 1 && find "sifta 名前") | sort; }
before=$(listing)
bad='ファイル名に使えない文字か名前が含まれています'
for name in 'a<b.csv' 'a>b.csv' 'a:b.csv' 'a\"b.csv' 'a|b.csv' 'a?b.csv' 'a*b.csv' \
            CON NUL nul.csv COM1 com1.csv 'LPT1 .txt' 'NUL\\x.csv' 'a?b\\x.csv'; do
  shown="C:\\sifta 名前\\${name//\\\\/\\}"
  shown=${shown//\\\"/\"}
  run "extract $name" "$source" "C:\\\\sifta 名前\\\\$name"
  expect "extract $name" 2 "$bad"
  grep -qxF -- "$shown" "$scratch/stderr" || fail "extract $name" "the message does not name $shown"
  run "source $name" "C:\\\\sifta 名前\\\\$name" 'C:\\sifta 名前\\out.csv'
  expect "source $name" 2 "$bad"
  grep -qxF -- "$shown" "$scratch/stderr" || fail "source $name" "the message does not name $shown"
done
[[ "$(listing)" == "$before" ]] || fail bad-names "a bad name created a file or folder"

exit $failed
