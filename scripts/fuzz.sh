#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/ and runs each through ctest.
#   bash scripts/fuzz.sh            short run (20,000 inputs per target)
#   bash scripts/fuzz.sh 10000000   long run (inputs per target)
# New inputs that reach new code are kept in build-fuzz/tests/fuzz/finds/.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-20000}"
bash scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLET_FUZZ=ON -DQUILLET_SANITIZE=ON -DQUILLET_BUILD_BENCHMARKS=OFF -DQUILLET_FUZZ_RUNS="$runs"
cmake --build build-fuzz --target quillet_fuzzers -j "$(nproc)"
cd build-fuzz
# Leak checks stay on; Qt's own one-time allocations are not leaks of ours.
# A smaller quarantine, given back to the system, keeps long runs in memory.
asan="detect_leaks=1:abort_on_error=1:quarantine_size_mb=64:allocator_release_to_os_interval_ms=1000"
# Long runs keep no allocation stacks: unwinding through Qt's frames, built
# without frame pointers, gives a new stack almost every time, and ASan keeps
# each one for good. A find is run again with full stacks to read its report.
if [ "$runs" -gt 100000 ]; then
  asan="$asan:malloc_context_size=0"
fi
ASAN_OPTIONS="$asan" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  ctest -L fuzz --output-on-failure -j "$(nproc)"
