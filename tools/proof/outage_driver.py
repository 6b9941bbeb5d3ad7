#!/usr/bin/env python3
"""The outage proof: with KeepScansDuringOutage on, a virtual scanner types
decommission scans at a counter's pace while the stand-in service is out for
a while, once for each kind of outage: "refuse" (the port is closed), "drop"
(the request is read and the connection reset), "drop_after" (the request is
acted on, its answer lost) and "hang" (requests are held unanswered).

Once the service is back, every scan must get a final row (neither
"Scanned" nor "Waiting"), each pack must be decommissioned exactly once at
the stand-in, and the scan folder (with its waiting folder) must end empty.
Prints per kind how long the queue took to drain after the outage, and how
many tries and requests each scan cost.

Usage: outage_driver.py [--scans N] [--outage-seconds S] [--kinds K,K] [--pace MIN,MAX] [--prefix PATH]
Exits 1 when a scan is unanswered, a pack is decommissioned twice or not at
all, or a file is left behind."""

import argparse
import random
import sys
import threading
import time
from collections import Counter
from pathlib import Path

from harness import BUILD, Prefix, Program, Standin, Trace, pack_barcode, wait_until, work_folder

PORT = 5
KINDS = ("refuse", "drop", "drop_after", "hang")
# Each kind scans packs of its own: "drop" and "drop_after" once shared theirs.
TAGS = {"refuse": "RF", "drop": "DR", "drop_after": "DA", "hang": "HG"}
FINAL_STATUSES = {"Success", "Done before"}
SERIAL_AT = len(pack_barcode("", 0)) - 5


def type_scans(path, barcodes, pace, typed, rng):
    """Types at the pace given; `typed` gets each code, then the time the last went in."""
    with open(path, "wb", buffering=0) as scanner:
        for code in barcodes:
            scanner.write(code.encode() + b"\r\n")
            typed.append(code)
            time.sleep(rng.uniform(*pace))
    typed.append(time.monotonic())


def start_outage(standin, kind, seconds):
    """Starts the outage; the stand-in ends all but the hang by itself."""
    if kind == "hang":
        standin.control(reachable=False)
    else:
        standin.control(outage=kind, outage_ms=int(seconds * 1000))


def rows_by_code(program, codes):
    """Barcode -> the status cells of its rows."""
    statuses = {}
    for cells in program.rows():
        if len(cells) >= 4 and cells[3] in codes:
            statuses.setdefault(cells[3], []).append(cells[1])
    return statuses


def all_final(program, prefix, codes):
    if prefix.scan_folder_files():
        return False
    statuses = rows_by_code(program, codes)
    return all(code in statuses and not set(statuses[code]) & {"Scanned", "Waiting"} for code in codes)


def run_kind(kind, scans, seconds, pace, standin, prefix, program):
    codes = [pack_barcode(TAGS[kind], n) for n in range(scans)]
    typed = []
    typist = threading.Thread(target=type_scans, args=(prefix.scanner_input(PORT), codes, pace, typed, random.Random(kind)))
    typist.start()
    # The outage starts once a quarter of the scans went in normally.
    wait_until(lambda: len(typed) >= max(1, scans // 4), 60 + scans * pace[1])
    start_outage(standin, kind, seconds)
    time.sleep(seconds)
    standin.end_outage()
    back = time.monotonic()
    waiting = wait_until(lambda: not any(name.startswith("Waiting") for name in prefix.scan_folder_files()),
                         180 + scans * 2, 0.1)
    waiting_seconds = time.monotonic() - back
    typist.join()
    typed_after = max(0.0, typed[-1] - back)
    drained = wait_until(lambda: not prefix.scan_folder_files(), 120 + scans * 2, 0.1)
    drain_seconds = time.monotonic() - back
    drained = drained and waiting and wait_until(lambda: all_final(program, prefix, set(codes)), 60, 1)
    return report(kind, codes, standin, prefix, program, drained, (waiting_seconds, drain_seconds, typed_after))


def report(kind, codes, standin, prefix, program, drained, seconds):
    """`seconds`: after the service was back, until the waiting folder was
    empty, until the scan folder was, and until the last scan was typed."""
    code_set = set(codes)
    serials = {code[SERIAL_AT:] for code in codes}
    statuses = rows_by_code(program, code_set)
    final = Counter(status for code in codes for status in statuses.get(code, ["(no row)"]))
    unanswered = [code for code in codes if not set(statuses.get(code, [])) & FINAL_STATUSES]
    packs = {pack["serial"]: pack for pack in standin.packs() if pack["serial"] in serials}
    twice = sorted(serial for serial, pack in packs.items() if pack["decommission_requests"] > 1)
    never = sorted(serial for serial in serials if serial not in packs or packs[serial]["state_changes"] != 1)
    requests = Counter(code for _, code in standin.pack_requests() if code in code_set)
    tries = sum(1 for (barcode,) in Trace(prefix).matching(r"^Barcode = (.*)$") if barcode in code_set)
    left = prefix.scan_folder_files()
    print(f"{kind}: {len(codes)} scans; after the service was back the waiting scans were sent in "
          f"{seconds[0]:.1f} s, the scan folder empty after {seconds[1]:.1f} s (the typing went on for "
          f"{seconds[2]:.1f} s); {tries / len(codes):.2f} tries and "
          f"{sum(requests.values()) / len(codes):.2f} requests at the service per scan")
    print(f"{kind}: rows " + ", ".join(f"{status} {n}" for status, n in sorted(final.items()))
          + f"; unanswered {len(unanswered)}; decommissioned twice {len(twice)}; not decommissioned "
          f"{len(never)}; left in the scan folder {len(left)}")
    for label, items in (("unanswered", unanswered), ("twice", twice), ("never", never), ("left", left)):
        for item in items[:10]:
            print(f"  {label}: {item}")
    return not (unanswered or twice or never or left or not drained)


def start_keeping_scans(prefix):
    """The program with KeepScansDuringOutage on, once it has turned to
    Decommission mode by itself after its start; None when it did not."""
    prefix.set_value("KeepScansDuringOutage", "1")
    program = Program(prefix)
    program.start(readers=1, timeout=120)
    if not wait_until(lambda: Trace(prefix).count("Decommission Mode On") > 0, 60, 0.5):
        print("the program did not turn to Decommission mode")
        return None
    return program


def run(scans, seconds, kinds, pace, prefix_path):
    codes = [pack_barcode(TAGS[kind], n) for kind in kinds for n in range(scans)]
    with work_folder("outage") as work, Standin(work, codes) as standin, \
            Prefix(prefix_path, work, standin.host, [PORT]) as prefix:
        program = start_keeping_scans(prefix)
        if not program:
            return 1
        ok = all([run_kind(kind, scans, seconds, pace, standin, prefix, program) for kind in kinds])
        program.kill()
        return 0 if ok else 1


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scans", type=int, default=200)
    parser.add_argument("--outage-seconds", type=float, default=60)
    parser.add_argument("--kinds", default=",".join(KINDS))
    parser.add_argument("--pace", default="0.3,1.5", help="seconds between scans, from MIN to MAX")
    parser.add_argument("--prefix", default=str(BUILD / "proof-prefix"))
    args = parser.parse_args()
    kinds = args.kinds.split(",")
    if set(kinds) - set(KINDS):
        parser.error(f"kinds are {', '.join(KINDS)}")
    pace = tuple(float(x) for x in args.pace.split(","))
    print(f"outage proof: {args.scans} scans per kind over a {args.outage_seconds:g} s outage of each of "
          f"{', '.join(kinds)}; prefix {args.prefix}")
    return run(args.scans, args.outage_seconds, kinds, pace, Path(args.prefix))


if __name__ == "__main__":
    sys.exit(main())
