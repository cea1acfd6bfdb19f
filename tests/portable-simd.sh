#!/usr/bin/env bash
# Builds the engine and its tests as for a processor without x86 vector
# instructions (SIFTA_PORTABLE_SIMD: the portable scan routines only, as on
# ARM64) in a folder of its own, and runs the scan, inspect and run tests
# there. Uses ccache when it is installed.
#
#   tests/portable-simd.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=${1:?source folder}
build_dir=${2:?build folder}

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DSIFTA_PORTABLE_SIMD=ON \
  -DSIFTA_BUILD_UI=OFF "${launcher[@]}" >/dev/null
cmake --build "$build_dir" -j2 --target scan_tests inspect_tests run_tests >/dev/null

# Nothing of the x86 routines may be left in the portable build.
if nm -C "$build_dir/libsifta_scan.a" | grep -E 'WithSse2|WithAvx'; then
  echo "portable build still holds x86 scan routines" >&2
  exit 1
fi
for tests in scan_tests inspect_tests run_tests; do
  "$build_dir/tests/$tests" --gtest_brief=1
done
