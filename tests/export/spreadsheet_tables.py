#!/usr/bin/python3
"""screenfilter-cli's tables as other programs read them.

A CSV with decimal commas and an xlsx workbook (read with openpyxl, Debian
python3-openpyxl) must hold the numbers of the default CSV; run's JSON must
be JSON to a JSON parser. Usage: spreadsheet_tables.py CLI DOCS_DIR
Exit 0 passed, 1 failed, 77 skipped (no openpyxl).
"""
import csv
import json
import os
import shutil
import subprocess
import sys
import tempfile

try:
    import openpyxl
except ImportError:
    print("skipped: python3-openpyxl is not installed")
    sys.exit(77)

CLI, DOCS = sys.argv[1], sys.argv[2]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def cli(*args, expect=0):
    r = subprocess.run([CLI, *args], capture_output=True, env={"LC_ALL": "C.UTF-8", "PATH": "/usr/bin:/bin"})
    check(r.returncode == expect, f"{' '.join(args)}: exit {r.returncode}, {r.stderr.decode()!r}")
    return r


def number(text, separator="."):
    try:
        return float(text.replace(separator, "."))
    except ValueError:
        return None


def rows_of(path, delimiter):
    with open(path, newline="", encoding="utf-8") as f:
        return list(csv.reader(f, delimiter=delimiter))


os.chdir(tempfile.mkdtemp(prefix="screenfilter-tables-"))
# Two packs, the second with a name no sheet can hold as it is.
SECOND = "pack b: [seven screens].sfcase"
shutil.copy(os.path.join(DOCS, "pack-a.sfcase"), "pack-a.sfcase")
shutil.copy(os.path.join(DOCS, "pack-b.sfcase"), SECOND)
grid = ["pack-a.sfcase", SECOND, "--vary", "flow_rate=20:120:6", "--vary", "temperature=150,290.5",
        "--columns", "details,inputs", "--header", "units", "--units", "bar"]
cli("sweep", *grid, "-o", "stop.csv")
cli("sweep", *grid, "--decimal-separator", ",", "-o", "comma.csv")
cli("sweep", *grid, "--format", "xlsx", "-o", "book.xlsx")

# Decimal commas, ";" between fields: the same numbers to the last bit.
stop, comma = rows_of("stop.csv", ","), rows_of("comma.csv", ";")
check(len(stop) == 25 and len(comma) == len(stop), f"rows: {len(stop)}, {len(comma)}")
for a, b in zip(stop, comma):
    check(len(a) == len(b), f"cells: {a} / {b}")
    for x, y in zip(a, b):
        if number(x) is None:
            check(x == y, f"text {x!r} / {y!r}")
        else:
            check(number(x) == number(y, ","), f"number {x} / {y}")

# The workbook: a sheet per case, its inputs at the top, then the CSV's header
# and its rows, numbers as numbers (libxlsxwriter keeps 16 significant digits).
book = openpyxl.load_workbook("book.xlsx")
check(book.sheetnames == ["pack-a", "pack b_ _seven screens_"], f"sheets {book.sheetnames}")
header, data = stop[0], stop[1:]
for sheet, case, count in zip(book.worksheets, ["pack-a.sfcase", SECOND], [12, 7]):
    rows = [list(r) for r in sheet.iter_rows(values_only=True)]
    check(rows[0][:2] == ["case", case], f"{sheet.title}: first row {rows[0]}")
    blank = next(i for i, r in enumerate(rows) if all(v is None for v in r))
    inputs = {r[0]: (r[1], r[2]) for r in rows[1:blank]}
    check(len(inputs) == 11 + 2 * count, f"{sheet.title}: {len(inputs)} inputs")
    check(inputs.get("flow_rate") == (57, "kg/hr"), f"{sheet.title}: flow rate {inputs.get('flow_rate')}")
    check(inputs.get("count") == (count, None), f"{sheet.title}: count {inputs.get('count')}")
    report = "pack-a.txt" if count == 12 else "pack-b.txt"
    check(inputs.get("file") == (report, None), f"{sheet.title}: file {inputs.get('file')}")
    check([v for v in rows[blank + 1] if v is not None] == header, f"{sheet.title}: header {rows[blank + 1]}")
    mine = [r for r in data if r[0] == case]
    check(len(rows) - blank - 2 == len(mine) == 12, f"{sheet.title}: {len(rows) - blank - 2} rows")
    for got, want in zip(rows[blank + 2:], mine):
        for x, y in zip(got, want):
            if number(y) is None:
                check((x or "") == y, f"{sheet.title}: text {x!r} / {y!r}")
            else:
                check(isinstance(x, (int, float)) and abs(x - number(y)) <= 1e-15 * abs(number(y)),
                      f"{sheet.title}: number {x!r} / {y}")

# run --format json: one object for a case, an array for several; a refused
# case keeps its place.
with open("refused.sfcase", "w", encoding="utf-8") as f:
    f.write(open("pack-a.sfcase", encoding="utf-8").read().replace("count = 12", "count = 13"))
one = json.loads(cli("run", "pack-a.sfcase", "--format", "json").stdout)
check(one["status"] == "ok" and len(one["screens"]) == 12, "one case")
check(abs(one["screens"][0]["open_area"] - 0.425165608531) < 1e-11, f"open area {one['screens'][0]['open_area']}")
cli("run", "pack-a.sfcase", SECOND, "refused.sfcase", "--format", "json", "-o", "all.json", expect=1)
every = json.load(open("all.json", encoding="utf-8"))
check([c["status"] for c in every] == ["ok", "ok", "rejected"], f"statuses {[c['status'] for c in every]}")
check(every[2]["total"] is None and every[2]["screens"] == [], "refused case")
check(not os.path.exists("pack-a.txt"), "json wrote a report")

for f in failures:
    print("FAILED:", f)
sys.exit(1 if failures else 0)
