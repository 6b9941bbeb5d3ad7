#!/usr/bin/env python3
"""The load proof: several virtual scanners type their barcodes into one
running program at once. Every barcode must reach the stand-in service once,
end as a result row of its own (not "Scanned"), and leave the scan folder
empty; prints the time it took and the rate.

Usage: load_driver.py [--ports N] [--per-port N] [--prefix PATH]
Exits 1 when a scan is missing, doubled, left unanswered or left behind."""

import argparse
import re
import sys
import threading
import time
from collections import Counter
from pathlib import Path

from harness import BUILD, Prefix, Program, Standin, Trace, pack_barcode, wait_until, work_folder

FIRST_PORT = 5


def type_scans(path, barcodes):
    """Types at a quick pharmacist's pace, two codes a second, each its own
    burst. (Lines that come closer together than the reader is scheduled
    arrive in one read, and the reader joins one read's lines into one
    barcode: at ten a second per scanner, 65 of 4,000 lines were joined.)"""
    with open(path, "wb", buffering=0) as scanner:
        for code in barcodes:
            scanner.write(code.encode() + b"\r\n")
            time.sleep(0.5)


def run(ports, per_port, prefix_path):
    numbers = [FIRST_PORT + i for i in range(ports)]
    lines = {n: [pack_barcode(f"L{n}", i) for i in range(per_port)] for n in numbers}
    every = [code for codes in lines.values() for code in codes]
    with work_folder("load") as work, Standin(work, every) as standin, \
            Prefix(prefix_path, work, standin.host, numbers) as prefix:
        program = Program(prefix)
        program.start(readers=ports)
        started = time.monotonic()
        typists = [threading.Thread(target=type_scans, args=(prefix.scanner_input(n), lines[n])) for n in numbers]
        for typist in typists:
            typist.start()
        for typist in typists:
            typist.join()
        typed_in = time.monotonic() - started
        # These codes lack their expiry and batch, so each answer also brings
        # two "Scan check" rows: the list takes in three rows per scan.
        arrived = wait_until(lambda: len(standin.pack_requests()) >= len(every) and not prefix.scan_folder_files(),
                             60 + len(every) * 1.0, 0.5)
        elapsed = time.monotonic() - started
        time.sleep(1)  # the last results reach the list
        rows = program.rows()
        program.kill()
        failed = report(every, standin.pack_requests(), rows, prefix.scan_folder_files(), arrived, typed_in, elapsed)
        if failed:
            print_exchanges_of_failures(Trace(prefix))
        return failed


def report(every, requests, rows, left, arrived, typed_in, elapsed):
    received = Counter(code for _, code in requests)
    row_status = Counter()
    answered = set()
    for cells in rows:
        if len(cells) >= 4 and cells[3] in received:
            row_status[cells[1]] += 1
            if cells[1] != "Scanned":
                answered.add(cells[3])
    missing = sorted(set(every) - set(received))
    doubled = sorted(code for code, n in received.items() if n > 1)
    unanswered = sorted(set(every) - answered)
    print(f"typed {len(every)} barcodes in {typed_in:.1f} s; all sent and answered after {elapsed:.1f} s "
          f"({len(every) / elapsed:.1f} scans/s)")
    print(f"requests {sum(received.values())} for {len(received)} distinct barcodes; result rows by status: "
          + ", ".join(f"{status} {n}" for status, n in sorted(row_status.items())))
    print(f"missing at the service: {len(missing)}; sent twice: {len(doubled)}; without a result row: "
          f"{len(unanswered)}; left in the scan folder: {len(left)}")
    for code in (missing + doubled + unanswered)[:20]:
        # Its rows say what became of it (a failed exchange, say).
        shown = ["/".join(cells[:3]) for cells in rows if len(cells) >= 4 and cells[3].startswith(code)]
        print(f"  {code}: rows {shown or 'none'}")
    return 1 if missing or doubled or unanswered or left or not arrived else 0


def print_exchanges_of_failures(trace):
    """The worker's trace lines, with their times, of each exchange that
    failed or took over ten seconds: what curl did, and for how long."""
    keys = trace.spooled()
    worker, shown = None, 0
    for (thread, text), at in zip(trace.lines, trace.seconds):
        if (match := re.match(r'FMD - Found file "(\d+)\.dat"$', text)):
            worker, exchange = thread, [(at, f"{text} ({keys.get(match.group(1), '?')!r})")]
        elif thread == worker and worker is not None:
            exchange.append((at, text))
            slow = at - exchange[0][0] > 10
            if text.startswith("FMD - Deleting") and (slow or any("failed" in line for _, line in exchange)):
                print("\n".join(f"  {at:10.3f}  {line}" for at, line in exchange))
                shown += 1
            if text.startswith("FMD - Deleting"):
                worker = None
        if shown >= 5:
            break
    troubles = [(at, text) for (_, text), at in zip(trace.lines, trace.seconds)
                if at is not None and re.search(r"cannot|could not|failed|ended", text)]
    print("\n".join(f"  {at:10.3f}  {text}" for at, text in troubles[:10]))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--ports", type=int, default=4)
    parser.add_argument("--per-port", type=int, default=1000)
    parser.add_argument("--prefix", default=str(BUILD / "proof-prefix"))
    args = parser.parse_args()
    print(f"load proof: {args.ports} scanners x {args.per_port} barcodes, prefix {args.prefix}")
    return run(args.ports, args.per_port, Path(args.prefix))


if __name__ == "__main__":
    sys.exit(main())
