#!/usr/bin/env bash
# Record count throughput: sifta-count against wc -l on the same cached file.
#
#   bench/count.sh [FOLDER] [SIZE_MB]
#
# Makes (or reuses) FOLDER/sifta-count-SIZE.csv (default /tmp, 1000 MB): a
# code page 932 CSV with a standard heading and CR LF line ends, written by a
# deterministic generator. Builds sifta-count (Release, engine only) into
# build-bench/ unless SIFTA_COUNT names a binary. Reads the file once to warm the cache, then
# times five runs of each tool and prints the medians as MB/s and the ratio.
# The counts are checked: both tools must report the generator's line count.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
folder="${1:-/tmp}"
size_mb="${2:-1000}"
data="$folder/sifta-count-$size_mb.csv"

count_bin="${SIFTA_COUNT:-}"
if [[ -z "$count_bin" ]]; then
  cmake -S "$root" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DSIFTA_BUILD_UI=OFF \
    -DSIFTA_BUILD_TESTS=OFF >/dev/null
  cmake --build "$root/build-bench" -j2 --target sifta-count >/dev/null
  count_bin="$root/build-bench/sifta-count"
fi

if [[ ! -s "$data" || ! -s "$data.lines" ]]; then
  echo "generating $data (${size_mb} MB)..." >&2
  mkdir -p "$folder"
  python3 - "$data" "$size_mb" <<'PY'
import sys
path, size_mb = sys.argv[1], int(sys.argv[2])
target = size_mb * 1000 * 1000
names = [s.encode("cp932") for s in
         ["東京都", "大阪府", "北海道", "表計算", "ソフト", "能力開発", "十日町", "ｾﾝﾀｰ"]]
heading = b"KEN,SHI,NAME," + b",".join(b"\xbe\xd9%d" % i for i in range(1, 13)) + b"\r\n"
state = 12345
def rand():
    global state
    state = (state * 1103515245 + 12345) & 0x7FFFFFFF
    return state
written = 0
lines = 1
with open(path + ".tmp", "wb") as out:
    out.write(heading)
    written += len(heading)
    chunk = []
    record = 0
    while written < target:
        record += 1
        r = rand()
        cells = [b"%d" % ((r >> (i % 16)) % 100000) for i in range(12)]
        if r % 11 == 0:
            cells[r % 12] = b'"X"'
        line = b"%02d,%05d,%s," % (1 + r % 47, record % 100000, names[r % 8]) + b",".join(cells) + b"\r\n"
        chunk.append(line)
        written += len(line)
        lines += 1
        if len(chunk) == 20000:
            out.write(b"".join(chunk))
            chunk = []
    out.write(b"".join(chunk))
with open(path + ".lines", "w") as f:
    f.write("%d\n" % lines)
import os
os.replace(path + ".tmp", path)
PY
fi
lines="$(cat "$data.lines")"
bytes="$(stat -c %s "$data")"

cat "$data" >/dev/null  # warm the cache
cat "$data" >/dev/null

# Median wall time in seconds of five runs of "$@"; checks the printed count.
median_time() {
  local expected="$1"
  shift
  local times=()
  for _ in 1 2 3 4 5; do
    local start end out
    start="$(date +%s%N)"
    out="$("$@")"
    end="$(date +%s%N)"
    out="${out%% *}"
    if [[ "$out" != "$expected" ]]; then
      echo "wrong count from $*: $out, expected $expected" >&2
      exit 1
    fi
    times+=("$(( end - start ))")
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p | awk '{ printf "%.4f", $1 / 1e9 }'
}

wc_time="$(median_time "$lines" wc -l "$data")"
sifta_time="$(median_time "$lines" "$count_bin" "$data")"
awk -v bytes="$bytes" -v lines="$lines" -v wc="$wc_time" -v sifta="$sifta_time" 'BEGIN {
  mb = bytes / 1e6
  printf "file: %.0f MB, %d lines\n", mb, lines
  printf "wc -l:       %.3f s  %7.0f MB/s\n", wc, mb / wc
  printf "sifta-count: %.3f s  %7.0f MB/s\n", sifta, mb / sifta
  printf "sifta-count / wc -l throughput: %.2f\n", wc / sifta
}'
