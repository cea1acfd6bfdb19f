#!/usr/bin/env bash
# Builds the engine and its run tests with ThreadSanitizer in a folder of its
# own and runs the tests of the records cut on several threads there, so that
# a data race between the reading thread and the workers fails the tests even
# when the bytes come out right. Uses ccache when it is installed.
#
#   tests/thread-sanitizer.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=${1:?source folder}
build_dir=${2:?build folder}

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSIFTA_BUILD_UI=OFF \
  -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread "${launcher[@]}" >/dev/null
cmake --build "$build_dir" -j2 --target run_tests >/dev/null
TSAN_OPTIONS="halt_on_error=1 exitcode=66" \
  "$build_dir/tests/run_tests" --gtest_brief=1 --gtest_filter='ParallelCut*:*WholeFiles*'
