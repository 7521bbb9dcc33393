#!/usr/bin/env bash
# Configures and builds Quillet into build/: every target, or only those named
# as arguments (e.g. "quillet").
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ $# -gt 0 ]; then
  targets=()
  for target in "$@"; do targets+=(--target "$target"); done
  cmake --build build -j "$(nproc)" "${targets[@]}"
else
  cmake --build build -j "$(nproc)"
fi
