#!/usr/bin/env bash
# A short, repeatable run of every fuzz target: the committed seeds, then a
# fixed number of inputs from a fixed seed. Reports itself skipped (77) when
# clang with libFuzzer is not there.
#
#   tests/fuzz-smoke.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir=${1:?source folder}
build_dir=${2:?build folder}

probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
printf '%s\n' '#include <cstddef>' '#include <cstdint>' \
  'extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }' >"$probe/probe.cpp"
if ! command -v clang++ >/dev/null ||
   ! clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null; then
  echo "clang++ with libFuzzer is not installed: fuzz smoke run skipped"
  exit 77
fi

# Each target runs a fixed number of inputs (a few seconds), at most 8 s.
SIFTA_FUZZ_BUILD="$build_dir" SIFTA_FUZZ_NO_DEPS=1 SIFTA_FUZZ_SMOKE=1 "$source_dir/scripts/fuzz" 8
rc=$?
# Never let a finding pass for "skipped" (libFuzzer itself may exit 77).
[ $rc -eq 0 ] || exit 1
