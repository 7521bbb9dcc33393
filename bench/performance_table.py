#!/usr/bin/env python3
"""Writes the measured table of docs/PERFORMANCE.md from one run's results.

Usage: performance_table.py RESULTS_DIR PERFORMANCE_MD

RESULTS_DIR holds startup.txt (bench/startup.sh) and the Google Benchmark
JSON files of bench/performance.sh. The table replaces whatever stands
between the "<!-- table -->" and "<!-- /table -->" lines of the document.
"""
import json
import pathlib
import re
import sys

SIZES = (1000, 100000, 1000000)


def load_benchmarks(folder):
    """{(benchmark name without size, size): result} over every JSON file."""
    results = {}
    for path in pathlib.Path(folder).glob("*.json"):
        for run in json.loads(path.read_text())["benchmarks"]:
            parts = run["name"].split("/")
            sizes = [p for p in parts[1:] if p.isdigit()]
            if not sizes:
                continue
            label = "/".join([parts[0]] + [p for p in parts[1:] if not p.isdigit() and ":" not in p])
            results[(label, int(sizes[0]))] = run
    return results


def load_startup(folder):
    """{size: (first screen s, peak MB, floor s)} from startup.sh's rows."""
    rows = {}
    path = pathlib.Path(folder) / "startup.txt"
    if path.exists():
        for line in path.read_text().splitlines():
            fields = line.split()
            if len(fields) >= 4 and fields[0].isdigit():
                rows[int(fields[0])] = (float(fields[1]), float(fields[2]), float(fields[3]))
    return rows


def ms(value):
    if value is None:
        return "—"
    return f"{value:.0f} ms" if value >= 10 else f"{value:.2f} ms"


def time_ms(run):
    factor = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[run.get("time_unit", "ns")]
    return run["real_time"] * factor


def main():
    folder, document = sys.argv[1], pathlib.Path(sys.argv[2])
    runs = load_benchmarks(folder)
    startup = load_startup(folder)
    lines = ["| measure | target | " + " | ".join(f"{s:,} memos" for s in SIZES) + " |",
             "|---|---|" + "---|" * len(SIZES)]

    def row(measure, target, cell):
        lines.append(f"| {measure} | {target} | " + " | ".join(cell(s) for s in SIZES) + " |")

    def bench_cell(label, floor_counter=None, counter=None):
        def cell(size):
            run = runs.get((label, size))
            if run is None:
                return "—"
            value = run[counter] if counter else time_ms(run)
            text = ms(value)
            if floor_counter and floor_counter in run:
                text += f" (floor {ms(run[floor_counter])})"
            return text
        return cell

    def startup_cell(index, unit):
        def cell(size):
            if size not in startup:
                return "—"
            first, peak, floor = startup[size]
            if index == 1:
                return f"{peak:.0f} MB"
            return f"{first:.2f} s (sqlite3 {floor:.2f} s, ×{first / floor:.2f})"
        return cell

    row("peak memory, \"[ALL]\" listed", "≤ 70 MB at 100k, ≤ 200 MB at 1M", startup_cell(1, "MB"))
    row("process start to first screen", "≤ 0.5 s and ≤ 0.75 × sqlite3 at 1M", startup_cell(0, "s"))
    for label, measure in EXTRA_ROWS:
        row(measure, "", bench_cell(label, "floor_ms"))
    row("save one memo", "flat (≤ 1.5 × 1k)", bench_cell("BM_SaveOneMemo"))
    row("move one memo to the trash", "flat", bench_cell("BM_TrashOneMemo"))
    row("restore one memo", "flat", bench_cell("BM_RestoreOneMemo"))
    row("icon on one memo", "flat", bench_cell("BM_SetIconOnOne"))
    row("10,000 selected to the trash", "≤ 2 s at 1M", bench_cell("BM_TrashAndRestore10k", counter="trash_ms"))
    row("10,000 selected restored", "≤ 2 s at 1M", bench_cell("BM_TrashAndRestore10k", counter="restore_ms"))
    row("icon on 10,000 selected", "≤ 2 s at 1M", bench_cell("BM_SetIconOn10k"))
    row("copy 100,000 selected (all at 1k)", "≤ 0.3 s", bench_cell("BM_CopyToClipboard", "floor_ms"))

    text = document.read_text() if document.exists() else "<!-- table -->\n<!-- /table -->\n"
    table = "\n".join(lines)
    text = re.sub(r"<!-- table -->.*?<!-- /table -->", lambda _: f"<!-- table -->\n{table}\n<!-- /table -->",
                  text, flags=re.S)
    document.write_text(text)


# Rows of other benchmarks: (benchmark label, what it measures); filled in
# as the benchmarks are named.
EXTRA_ROWS = []

if __name__ == "__main__":
    main()
