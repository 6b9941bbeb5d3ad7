"""Scan-to-row benchmark's driver: a stand-in service, a Wine prefix with one
virtual scanner on COM5, then scan_to_row_bench.exe (which starts the program
and prints its figures), then where the time of each scan went inside the
program, from its trace. Run it through tools/bench/scan-to-row.sh."""

import argparse
import re
import shutil
import statistics
import subprocess
import sys
from datetime import datetime
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "proof"))
from harness import BIN, PRODUCT, Prefix, Standin, work_folder  # noqa: E402

PORT = 5
TRACE_LINE = re.compile(r"^(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}) +\d+\) (.*)$")


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def pack_barcode(tag, number):
    """A whole pack code (product, expiry, batch, serial), as the bench types it."""
    return f"01{PRODUCT}17291231" f"10LOT24A\x1d21{tag}{number:05d}"


def trace_lines(prefix):
    """(time in ms, text) of every line of the newest start's trace."""
    lines = []
    for path in sorted((prefix.app_folder / "Logs").glob("trace-*.txt"), key=lambda p: -int(p.stem.split("-")[1])):
        for raw in path.read_bytes().decode("latin-1").split("\n"):  # not splitlines(): a GS byte would split a line
            if (match := TRACE_LINE.match(raw.rstrip("\r"))):
                stamp = datetime.strptime(match.group(1), "%Y-%m-%d %H:%M:%S.%f")
                lines.append((stamp.timestamp() * 1000, match.group(2)))
    return lines


def scan_phases(lines, barcode):
    """The trace's times of one scan: read, handed to spooling, spooled, found
    by the worker, done. A poll may find the file before "Saved to" is
    written, so the worker's lines are looked for anywhere."""
    read = handed = spooled = key = None
    for ms, text in lines:
        if read is None and f"COM{PORT} - read |{barcode.replace(chr(0x1d), chr(92) + 'u001D')}" in text:
            read = ms
        elif read is not None and handed is None and text == f'COM{PORT} - barcode = "{barcode}"':
            handed = ms
        elif handed is not None and (match := re.match(r'Saved to "(\d+)\.dat"$', text)):
            spooled, key = ms, match.group(1)
            break
    worker = {text: ms for ms, text in lines if key and key in text and text.startswith(("FMD - ", "Results - "))}
    found, done = worker.get(f'FMD - Found file "{key}.dat"'), worker.get(f'FMD - Deleting "{key}.dat"')
    shown = next((ms for text, ms in worker.items() if text.startswith(f'Results - row "{key}" shows ')
                  and not text.endswith(" Scanned")), None)
    return (read, handed, spooled, found, done, shown) if found and done and shown else None


def print_phases(lines, scans):
    """Each scan from its bytes typed to its final row, by the trace's
    stamps (whole ms) and the bench's wall clock."""
    rows = []
    for index, (typed_at, row_at) in enumerate(scans):
        phases = scan_phases(lines, pack_barcode("S", index))
        if phases:
            read, handed, spooled, found, done, shown = phases
            rows.append((read - typed_at, handed - read, spooled - handed, found - spooled, done - found,
                         shown - found, row_at - shown))
    names = ("pty and the reader's read returning", "reader: the scan sound", "reader: spool file written",
             "worker woken: file saved to file found", "worker: file found to files deleted",
             "window: file found to its row showing", "bench: row showing to noticed")
    print(f"\none scan, by the trace and the wall clock (ms, {len(rows)} scans)  median      p95")
    for column, name in enumerate(names):
        values = sorted(row[column] for row in rows)
        print(f"{name:<48} {statistics.median(values):8.1f} {values[round(0.95 * (len(values) - 1))]:8.1f}")


def print_start(lines, started_at, shown_ms, listening_ms):
    """The start's trace lines up to the credentials check's end, in ms from
    the process's start, with the bench's two moments among them."""
    print("\nstart-up, by the trace and the wall clock (ms from CreateProcess)")
    moments = [(shown_ms, "(bench) main window shown"), (listening_ms, f'(bench) "Listening to COM{PORT}" row seen')]
    for ms, text in lines:
        while moments and moments[0][0] < ms - started_at:
            print(f"{moments[0][0]:8.0f}  {moments.pop(0)[1]}")
        print(f"{ms - started_at:8.0f}  {text}")
        if text.startswith("FMD - Deleting"):
            break
    for ms, text in moments:
        print(f"{ms:8.0f}  {text}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--scans", type=int, default=100)
    parser.add_argument("--keep-trace", help="a folder to copy the program's trace files into")
    args = parser.parse_args()
    codes = [pack_barcode(tag, i) for tag in "SBT" for i in range(args.scans)]
    with work_folder("scan-to-row") as work, Standin(work, codes) as standin, \
            Prefix(args.prefix, work, standin.host, [PORT]) as prefix:
        figures = Path(work) / "scans.csv"
        bench = subprocess.run(["wine", str(BIN / "scan_to_row_bench.exe"), windows_path(BIN / "Pellwick.exe"),
                                windows_path(prefix.scanner_input(PORT)), f"COM{PORT}", standin.host,
                                str(args.scans), windows_path(figures),
                                windows_path(prefix.app_folder / "Logs" / "trace-1.txt")], env=prefix.env, check=False)
        if bench.returncode != 0:
            return bench.returncode
        lines = trace_lines(prefix)
        if args.keep_trace:
            Path(args.keep_trace).mkdir(parents=True, exist_ok=True)
            for trace in (prefix.app_folder / "Logs").glob("trace-*.txt"):
                shutil.copy(trace, args.keep_trace)
        rows = [[float(cell) for cell in row.split(",")] for row in figures.read_text().splitlines() if row[0].isdigit()]
        print_phases(lines, [(row[2], row[3]) for row in rows[1:]])
        print_start(lines, *rows[0])
    return 0


if __name__ == "__main__":
    sys.exit(main())
