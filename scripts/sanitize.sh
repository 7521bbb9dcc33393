#!/usr/bin/env bash
# Builds the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-asan/ and runs it through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLET_SANITIZE=ON \
  -DQUILLET_BUILD_BENCHMARKS=OFF
cmake --build build-asan -j "$(nproc)"
cd build-asan
ASAN_OPTIONS="detect_leaks=0:abort_on_error=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
