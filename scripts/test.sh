#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
# The benchmarks are built too, though not run, so that a change that breaks
# them fails here rather than at the next measurement.
cmake -S . -B build-test -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug \
  -DTESSELLON_SANITIZE=ON \
  -DTESSELLON_BUILD_BENCH=ON
cmake --build build-test -j "$jobs"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Waits in the tests end on the launcher's own signals; their ceilings, and
# CTest's per-test one, grow by TESSELLON_TEST_TIME_SCALE on a slow machine.
timeout=$(awk -v scale="${TESSELLON_TEST_TIME_SCALE:-1}" 'BEGIN { t = 300 * scale; print (t < 300 ? 300 : int(t)) }')
ctest --test-dir build-test --output-on-failure -j "$jobs" --timeout "$timeout"
