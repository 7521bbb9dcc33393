#!/usr/bin/env bash
# Times Quillet's start as a whole process on the generated memo databases:
# from the process's start to the first paint of the memo list with its rows
# (QUILLET_EXIT_AFTER_FIRST_SCREEN ends the process there), and to the first
# paint with every row listed, with the peak memory of that run. Beside it, in
# the same run, the time the sqlite3 shell takes to read the memo list's
# columns of the same file: the floor the start is held to.
#
#   bash bench/startup.sh [SIZE...]        default sizes: 1000 100000 1000000
#
# Environment: BUILD (default build), RUNS per size (default 5),
# QUILLET_BENCH_DATA (the corpus cache, see bench/MemoCorpus.h),
# QT_QPA_PLATFORM (default offscreen; "xcb" runs under xvfb-run).
# Prints one table row per size: medians of the runs, peak RSS the largest.
# A long list sorted by ID shows its first rows before the rest are read, so
# "first screen" and "listed" differ from some 20,000 memos on.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
RUNS=${RUNS:-5}
PLATFORM=${QT_QPA_PLATFORM:-offscreen}
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 100000 1000000)

for tool in "$BUILD/src/quillet" "$BUILD/bench/quillet_bench_corpus"; do
  [ -x "$tool" ] || { echo "missing $tool: bash scripts/build.sh quillet quillet_bench_corpus" >&2; exit 1; }
done
command -v sqlite3 >/dev/null || { echo "missing the sqlite3 shell (package sqlite3)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run=()
if [ "$PLATFORM" = xcb ]; then run=(xvfb-run -a); fi

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
now() { date +%s.%N; }

list_sql="SELECT RecordID, PublishTime, UpdateTime, Title, Icon, IsPass, Category FROM Memo WHERE (IsTrash <> 0) = 0 ORDER BY RecordID"

printf '%-9s %16s %10s %14s %16s %10s\n' memos "first screen s" "listed s" "peak RSS MB" "sqlite3 floor s" "ratio"
for size in "${sizes[@]}"; do
  home="$work/home$size"
  mkdir -p "$home"
  "$BUILD/bench/quillet_bench_corpus" "$size" "$home/diary.mdb" >/dev/null
  # A first start sets up the home (settings, template) and warms the file cache.
  QT_QPA_PLATFORM=$PLATFORM QUILLET_HOME=$home QUILLET_EXIT_AFTER_FIRST_SCREEN=1 \
    "${run[@]}" "$BUILD/src/quillet" >/dev/null 2>&1 || true
  : >"$work/start" >"$work/listed" >"$work/rss" >"$work/floor"
  for ((i = 0; i < RUNS; i++)); do
    begin=$(now)
    QT_QPA_PLATFORM=$PLATFORM QUILLET_HOME=$home QUILLET_EXIT_AFTER_FIRST_SCREEN=1 \
      "${run[@]}" "$BUILD/src/quillet" >/dev/null 2>&1 || true
    end=$(now)
    echo "$end - $begin" | bc >>"$work/start"
    begin=$(now)
    QT_QPA_PLATFORM=$PLATFORM QUILLET_HOME=$home QUILLET_EXIT_AFTER_FIRST_SCREEN=listed \
      /usr/bin/time -f '%M' -o "$work/time" "${run[@]}" "$BUILD/src/quillet" >/dev/null 2>&1 || true
    end=$(now)
    echo "$end - $begin" | bc >>"$work/listed"
    tail -n 1 "$work/time" >>"$work/rss"
    begin=$(now)
    sqlite3 "$home/diary.mdb" "$list_sql" >/dev/null
    end=$(now)
    echo "$end - $begin" | bc >>"$work/floor"
  done
  start=$(median <"$work/start")
  listed=$(median <"$work/listed")
  floor=$(median <"$work/floor")
  rss=$(sort -n "$work/rss" | tail -n 1)
  printf '%-9s %16.3f %10.3f %14.1f %16.3f %10.2f\n' "$size" "$start" "$listed" "$(echo "$rss / 1024" | bc -l)" "$floor" \
    "$(echo "$start / $floor" | bc -l)"
  rm -rf "$home"
done
