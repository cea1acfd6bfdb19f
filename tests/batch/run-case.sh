#!/usr/bin/env bash
# Runs one golden case of sifta-batch.
#
#   run-case.sh SIFTA_BATCH CASE_FOLDER
#
# A case folder holds conditions.json and the input files (symbolic links
# included), and expected/ with:
#   exit      the exit status (0 when the file is missing)
#   stdout    standard output, byte for byte
#   stderr    standard error, when given
#   stderr.windows  standard error of the Windows driver, where the system
#             words an error otherwise (SIFTA_CASE_PLATFORM=windows)
#   files/    every file the run creates or changes, byte for byte
# and, beside conditions.json, optionally:
#   file-size-limit   the run's file size limit (ulimit -f, 1024-byte blocks)
# The inputs are copied into a scratch folder and sifta-batch runs there. Any
# file that is neither expected nor an unchanged input fails the case.
set -euo pipefail

batch=$(realpath "$1")
case_dir=$(realpath "$2")
expected="$case_dir/expected"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
run="$scratch/run"
mkdir "$run"
cp -a "$case_dir"/. "$run"/
rm -rf "$run/expected" "$run/file-size-limit"
limit=unlimited
[[ -f "$case_dir/file-size-limit" ]] && limit=$(tr -d '[:space:]' <"$case_dir/file-size-limit")

status=0
(cd "$run" && ulimit -f "$limit" && "$batch" conditions.json >"$scratch/stdout" 2>"$scratch/stderr") || status=$?

failed=0
fail() {
  echo "FAIL: $*" >&2
  failed=1
}

want_status=0
[[ -f "$expected/exit" ]] && want_status=$(tr -d '[:space:]' <"$expected/exit")
[[ "$status" == "$want_status" ]] || fail "exit status $status, expected $want_status"

if ! cmp -s "$scratch/stdout" "$expected/stdout"; then
  fail "standard output differs"
  diff -u "$expected/stdout" "$scratch/stdout" >&2 || true
fi
want_stderr="$expected/stderr"
[[ -f "$expected/stderr.${SIFTA_CASE_PLATFORM:-}" ]] && want_stderr="$expected/stderr.$SIFTA_CASE_PLATFORM"
if [[ -f "$want_stderr" ]] && ! cmp -s "$scratch/stderr" "$want_stderr"; then
  fail "standard error differs"
  diff -u "$want_stderr" "$scratch/stderr" >&2 || true
fi

# Every expected file is there with its bytes.
if [[ -d "$expected/files" ]]; then
  while IFS= read -r -d '' file; do
    name=${file#"$expected/files/"}
    if [[ ! -e "$run/$name" ]]; then
      fail "$name was not written"
    elif ! cmp -s "$file" "$run/$name"; then
      fail "$name differs from expected/files/$name"
    fi
  done < <(find "$expected/files" -type f -print0)
fi

# Every other file is an input, unchanged.
while IFS= read -r -d '' file; do
  name=${file#"$run/"}
  [[ -e "$expected/files/$name" ]] && continue
  if [[ -L "$file" ]]; then
    [[ -L "$case_dir/$name" && "$(readlink "$file")" == "$(readlink "$case_dir/$name")" ]] ||
      fail "$name is a link the case does not expect"
  elif [[ ! -e "$case_dir/$name" || "$name" == file-size-limit ]]; then
    fail "$name was created, the case does not expect it"
  elif ! cmp -s "$file" "$case_dir/$name"; then
    fail "input $name was changed"
  fi
done < <(find "$run" \( -type f -o -type l \) -print0)

if [[ $failed -ne 0 ]]; then
  echo "--- standard error of the run:" >&2
  cat "$scratch/stderr" >&2
  exit 1
fi
