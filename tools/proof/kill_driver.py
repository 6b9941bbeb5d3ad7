#!/usr/bin/env python3
"""The kill proof: scans flow into the real program through a virtual
scanner while the program is killed (SIGKILL of its Wine process) at random
moments and started again. At the end it compares what was typed with what
the stand-in service received and what the trace and the scan folder show.

A scan is taken once its spool file is in place ("Saved to"). Every taken
scan must reach the service; a scan may reach it twice only when a kill fell
between its two arrivals (its exchange was cut off). Scans that never reached
a spool file (in the reader's memory, or typed while the program was down)
are counted, not hidden. Nothing may stay in the scan folder, and no curl.exe
may outlive the program.

Usage: kill_driver.py [--kills N] [--seed S] [--prefix PATH]
Exits 1 when a scan is lost, sent twice without a kill between, or left."""

import argparse
import random
import sys
import threading
import time
from collections import Counter
from pathlib import Path

from harness import BUILD, Prefix, Program, Standin, Trace, pack_barcode, wait_until, work_folder

PORT = 5


def type_scans(path, barcodes, typed, stop, rng):
    """Types barcodes at a busy counter's pace, one every 0.3 to 1.5 s: a
    little below what the worker sends, so that no backlog builds up."""
    with open(path, "wb", buffering=0) as scanner:
        for code in barcodes:
            if stop.is_set():
                return
            scanner.write(code.encode() + b"\r\n")
            typed.append(code)
            time.sleep(rng.uniform(0.3, 1.5))


def drain(prefix, patience=60):
    """Waits until the scan folder is empty; false once it stopped shrinking
    for `patience` seconds."""
    left, since = len(prefix.scan_folder_files()), time.monotonic()
    while left:
        time.sleep(0.5)
        now = len(prefix.scan_folder_files())
        if now < left:
            left, since = now, time.monotonic()
        elif time.monotonic() - since > patience:
            return False
    return True


def kill_moments(trace):
    """What the worker and the reader were doing when each life ended, from
    the last line each of them wrote in that life."""
    moments = Counter()
    worker = reader = None
    for _, text in trace.lines + [(0, "start")]:
        if text == "start":
            if worker is not None or reader is not None:
                if reader and "barcode =" in reader:
                    moments["while spooling"] += 1
                if worker and worker.startswith("Barcode ="):
                    moments["during an exchange"] += 1
                elif worker and worker.startswith("FMD - Deleting"):
                    moments["with the worker idle"] += 1
                else:
                    moments["with the worker starting"] += 1
            worker = reader = None
        elif text.startswith("FMD - ") or text.startswith("Barcode ="):
            worker = text
        elif text.startswith("COM") or text.startswith("Saved to"):
            reader = text
    return moments


def duplicates_without_kill(requests, kills):
    """Barcodes that arrived twice with no kill between the two arrivals."""
    arrivals = {}
    for when, code in requests:
        arrivals.setdefault(code, []).append(when)
    unexplained = []
    for code, times in arrivals.items():
        for first, second in zip(times, times[1:]):
            if not any(first <= kill <= second for kill in kills):
                unexplained.append(code)
    return unexplained


def run(kills, seed, prefix_path):
    rng = random.Random(seed)
    barcodes = [pack_barcode("K", n) for n in range(kills * 10 + 100)]
    typed, kill_times = [], []
    stop = threading.Event()
    with work_folder("kills") as work, Standin(work, barcodes, delay_ms=60) as standin, \
            Prefix(prefix_path, work, standin.host, [PORT]) as prefix:
        program = Program(prefix)
        program.start(readers=1)
        typist = threading.Thread(target=type_scans,
                                  args=(prefix.scanner_input(PORT), barcodes, typed, stop, rng))
        typist.start()
        try:
            for _ in range(kills):
                time.sleep(rng.uniform(0.2, 2.5))
                program.kill()
                kill_times.append(time.time())
                time.sleep(rng.uniform(0.0, 0.5))
                program.start(readers=1)
        finally:
            stop.set()
            typist.join()
        # The last life sends whatever is still waiting, for as long as the
        # waiting files keep going.
        settled = drain(prefix)
        time.sleep(2)
        program.kill()
        return report(standin.pack_requests(), Trace(prefix), typed, kill_times, prefix.scan_folder_contents(),
                      len(prefix.processes("curl.exe")), settled)


def report(requests, trace, typed, kill_times, left, curls_left, settled):
    spooled = trace.spooled()
    taken = set(spooled.values())
    received = Counter(code for _, code in requests)
    cut_off = [code for _, code in trace.matching(r'Removing cut-off spool file "(.*)": barcode "(.*)" was not sent')]
    waiting = set(left.values())  # still in the folder: counted as left, not lost
    lost = sorted(taken - set(received) - waiting)
    unexplained = duplicates_without_kill(requests, kill_times)
    # Lines that waited in the port while the program was down arrive in one
    # read, and one read's lines are one barcode joined by "@" (the reader's
    # rule for a scanner's burst): they reach the service together.
    joined = {code for code in received if "@" in code and set(code.split("@")) <= set(typed)}
    strangers = sorted(set(received) - set(typed) - joined)
    in_joined = {part for code in joined for part in code.split("@")}
    never_spooled = len(set(typed) - taken - set(received) - set(cut_off) - in_joined)
    print(f"kills: {len(kill_times)}; lives ended (the last included) "
          + ", ".join(f"{moment}: {n}" for moment, n in sorted(kill_moments(trace).items())))
    print(f"typed {len(typed)}, taken (\"Saved to\") {len(taken)}, received {len(received)} distinct "
          f"in {sum(received.values())} requests")
    print(f"sent twice after a kill cut their exchange off: {sum(n - 1 for n in received.values()) - len(unexplained)}")
    print(f"cut-off spool files removed and told: {len(cut_off)}")
    print(f"typed while the program was down and sent joined in one barcode: {len(in_joined)} "
          f"(in {len(joined)} requests)")
    print(f"never spooled (in the reader's memory or typed while the program was down): {never_spooled}")
    print(f"received without a \"Saved to\" line (killed between the rename and the line): "
          f"{len(set(received) - taken)}")
    print(f"LOST: {len(lost)}; sent twice without a kill: {len(unexplained)}; not typed: {len(strangers)}; "
          f"left in the scan folder: {len(left)}; curl.exe left: {curls_left}")
    for label, items in (("lost", lost), ("not typed", strangers), ("left", left)):
        for item in list(items)[:20]:
            print(f"  {label}: {item}")
    failed = lost or unexplained or strangers or left or curls_left or not settled or not taken
    return 1 if failed else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--kills", type=int, default=200)
    parser.add_argument("--seed", type=int, default=int(time.time()))
    parser.add_argument("--prefix", default=str(BUILD / "proof-prefix"))
    args = parser.parse_args()
    print(f"kill proof: {args.kills} kills, seed {args.seed}, prefix {args.prefix}")
    return run(args.kills, args.seed, Path(args.prefix))


if __name__ == "__main__":
    sys.exit(main())
