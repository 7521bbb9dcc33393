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
    """{(name without its size and iteration count, size): result} over every JSON file."""
    results = {}
    for path in pathlib.Path(folder).glob("*.json"):
        for run in json.loads(path.read_text())["benchmarks"]:
            parts = run["name"].split("/")
            sizes = [p for p in parts[1:] if p.isdigit()]
            if not sizes:
                continue
            rest = parts[1:]
            rest.remove(sizes[0])
            label = "/".join([parts[0]] + [p for p in rest if not p.startswith("iterations:")])
            results[(label, int(sizes[0]))] = run
    return results


def load_startup(folder):
    """{size: {first, listed, peak, floor}} from startup.sh's rows."""
    rows = {}
    path = pathlib.Path(folder) / "startup.txt"
    if path.exists():
        for line in path.read_text().splitlines():
            fields = line.split()
            if len(fields) >= 5 and fields[0].isdigit():
                first, listed, peak, floor = (float(f) for f in fields[1:5])
                rows[int(fields[0])] = {"first": first, "listed": listed, "peak": peak, "floor": floor}
    return rows


def ms(value):
    if value is None:
        return "—"
    if value >= 1000:
        return f"{value / 1000:.2f} s"
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

    def value_of(label, size, counter=None):
        run = runs.get((label, size))
        if run is None:
            return None
        return run[counter] if counter else time_ms(run)

    def bench_cell(label, counter=None, floor_counter=None, floor_label=None, flat=False):
        """The time (or a counter) beside its floor: a counter of the same run
        or another benchmark; `flat` adds the ratio to the 1,000-memo figure."""
        def cell(size):
            value = value_of(label, size, counter)
            if value is None:
                return "—"
            text = ms(value)
            floor = (value_of(label, size, floor_counter) if floor_counter
                     else value_of(floor_label, size) if floor_label else None)
            if floor:
                text += f" (floor {ms(floor)}, ×{value / floor:.1f})"
            base = value_of(label, SIZES[0], counter)
            if flat and size != SIZES[0] and base:
                text += f" (×{value / base:.2f} of 1k)"
            return text
        return cell

    def startup_cell(show):
        def cell(size):
            figures = startup.get(size)
            return show(figures) if figures else "—"
        return cell

    row("peak memory, \"[ALL]\" listed", "≤ 70 MB at 100k, ≤ 200 MB at 1M",
        startup_cell(lambda f: f"{f['peak']:.0f} MB"))
    row("process start to first screen of rows", "≤ 0.5 s and ≤ 0.75 × sqlite3 at 1M",
        startup_cell(lambda f: f"{f['first']:.2f} s (sqlite3 {f['floor']:.2f} s, ×{f['first'] / f['floor']:.2f})"))
    row("process start to every row listed", "",
        startup_cell(lambda f: f"{f['listed']:.2f} s"))
    row("fill \"[ALL]\"", "", bench_cell("BM_FillAll", floor_label="BM_FillAll_SqliteFloor"))
    row("fill one tag (タグ17)", "≤ 3 × floor", bench_cell("BM_FillOneTag", floor_label="BM_FillOneTag_SqliteFloor"))
    row("tag recount", "≤ 3 × floor",
        bench_cell("BM_LoadCategoryCounts", floor_label="BM_LoadCategoryCounts_SqliteFloor"))
    row("sort \"[ALL]\" by title", "", bench_cell("BM_SortAll/3"))
    row("sort \"[ALL]\" by update time", "", bench_cell("BM_SortAll/2"))
    row("sort \"[ALL]\" by ID as numbers", "", bench_cell("BM_SortAll/0"))
    row("save one memo", "flat (≤ 1.5 × 1k)", bench_cell("BM_SaveOneMemo", flat=True))
    row("move one memo to the trash", "flat", bench_cell("BM_TrashOneMemo", flat=True))
    row("restore one memo", "flat", bench_cell("BM_RestoreOneMemo", flat=True))
    row("icon on one memo", "flat", bench_cell("BM_SetIconOnOne", flat=True))
    row("10,000 selected to the trash", "≤ 2 s at 1M", bench_cell("BM_TrashAndRestore10k", counter="trash_ms"))
    row("10,000 selected restored", "≤ 2 s at 1M", bench_cell("BM_TrashAndRestore10k", counter="restore_ms"))
    row("icon on 10,000 selected", "≤ 2 s at 1M", bench_cell("BM_SetIconOn10k"))
    row("copy 100,000 selected (all at 1k)", "≤ 0.3 s", bench_cell("BM_CopyToClipboard", floor_counter="floor_ms"))

    # One row per search of the search benchmark, the plain scan as its floor.
    searches = sorted({label for label, _ in runs if label.startswith("BM_IndexedSearch/")},
                      key=lambda label: int(label.split("/")[1]))
    for label in searches:
        described = next((runs[(label, s)].get("label", "") for s in SIZES if (label, s) in runs), "")

        def search_cell(size, label=label):
            run = runs.get((label, size))
            if run is None:
                return "—"
            text = f"{ms(time_ms(run))} (scan {ms(run['scan_ms'])}, {int(run['found']):,} found)"
            return text if run.get("same") == 1 else text + " **results differ from the scan**"
        row(f"search: {described}", "≤ 0.3 s at 1M", search_cell)

    text = document.read_text() if document.exists() else "<!-- table -->\n<!-- /table -->\n"
    table = "\n".join(lines)
    text = re.sub(r"<!-- table -->.*?<!-- /table -->", lambda _: f"<!-- table -->\n{table}\n<!-- /table -->",
                  text, flags=re.S)
    document.write_text(text)


if __name__ == "__main__":
    main()
