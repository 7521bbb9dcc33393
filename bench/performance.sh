#!/usr/bin/env bash
# Measures Quillet at 1,000, 100,000 and 1,000,000 generated memos and writes
# the table of docs/PERFORMANCE.md (between its "table" markers) from what
# this run measured: each figure beside its floor, taken in the same run.
#
#   bash bench/performance.sh
#
# Needs the packages of scripts/install-deps.sh plus sqlite3, bc, time and
# python3 (installed here when missing and allowed). The generated databases
# are kept in $QUILLET_BENCH_DATA (default build/bench-data; about 1.3 GB, and
# the first run spends a few minutes making them).
set -euo pipefail
cd "$(dirname "$0")/.."
missing=()
for tool in sqlite3 bc python3; do command -v "$tool" >/dev/null || missing+=("$tool"); done
[ -x /usr/bin/time ] || missing+=(time)
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update && $sudo apt-get install -y "${missing[@]}"
fi
bash scripts/build.sh
export QUILLET_BENCH_DATA=${QUILLET_BENCH_DATA:-$PWD/build/bench-data}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
for size in 1000 100000 1000000; do build/bench/quillet_bench_corpus "$size" >/dev/null; done

results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
bash bench/startup.sh | tee "$results/startup.txt"
for bench in scale search_index corpus_lists; do
  build/bench/quillet_bench_$bench --benchmark_out="$results/$bench.json" --benchmark_out_format=json
done
python3 bench/performance_table.py "$results" docs/PERFORMANCE.md
echo "docs/PERFORMANCE.md written"
