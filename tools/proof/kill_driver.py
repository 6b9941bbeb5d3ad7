#!/usr/bin/env python3
"""The kill proof: scans flow into the real program through a virtual
scanner while the program is killed (SIGKILL of its Wine process) at random
moments and started again. At the end it compares what was typed with what
the stand-in service received and what the trace and the scan folder show.

A scan is taken once its spool file is in place ("Saved to"). Every taken
scan must reach the service, and no pack may be decommissioned twice (the
stand-in counts each pack's decommission requests): a scan may reach it again
only as the Verify that goes before repeating a decommission whose answer a
kill cut off. Scans that never reached
a spool file (in the reader's memory, or typed while the program was down)
are counted, not hidden. Nothing may stay in the scan folder, and no curl.exe
may outlive the program.

With --keep-scans the program keeps scans through outages
(KeepScansDuringOutage) and the stand-in goes out now and then, a few seconds
of a kind picked at random, so that kills fall while scans wait and during
replays, and the waiting folder must end empty too.

At the fast pace (--fast) a scan comes every 0.1 to 0.3 s and each kill
falls 0 to 120 ms after a scan was typed, that is right after the reader
took it from the port: it counts the scans read but never sent, and how long
scans lived only in the program's memory (from the "read" line to the
"Saved to" line).

Usage: kill_driver.py [--kills N] [--seed S] [--prefix PATH] [--fast] [--keep-scans]
Exits 1 when a scan is lost, a pack decommissioned twice, or a scan left."""

import argparse
import random
import sqlite3
import sys
import threading
import time
from collections import Counter
from pathlib import Path

from harness import BUILD, Prefix, Program, Standin, Trace, pack_barcode, wait_until, work_folder

PORT = 5
OUTAGES = ("refuse", "drop", "drop_after", "hang")


def type_scans(path, barcodes, typed, stop, rng, pace, just_typed):
    """Types barcodes at a busy counter's pace, one every 0.3 to 1.5 s (a
    little below what the worker sends, so that no backlog builds up), or at
    the given pace; `just_typed` is set after each."""
    with open(path, "wb", buffering=0) as scanner:
        for code in barcodes:
            if stop.is_set():
                return
            scanner.write(code.encode() + b"\r\n")
            typed.append(code)
            just_typed.set()
            time.sleep(rng.uniform(*pace))


def cycle_outages(standin, stop, rng, outages, out):
    """Puts the stand-in out for 3 to 8 s of a random kind, 1 to 4 s apart,
    until `stop`; `outages` counts them by kind, and `out` is set while one lasts."""
    while not stop.wait(rng.uniform(1, 4)):
        kind, seconds = rng.choice(OUTAGES), rng.uniform(3, 8)
        if kind == "hang":
            standin.control(reachable=False)
        else:
            standin.control(outage=kind, outage_ms=int(seconds * 1000))
        outages[kind] += 1
        out.set()
        stop.wait(seconds)
        standin.end_outage()
        out.clear()


def waiting_files(prefix):
    return [name for name in prefix.scan_folder_files() if name.startswith("Waiting")]


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


def history_faults(prefix, requests, drained):
    """Checks the scan history that the killed lives wrote: it must be intact,
    keep no pack more often than the service was sent it, and, once the queue
    drained, keep every pack the service was sent. Prints and returns the count
    of faults."""
    path = prefix.app_folder / "History" / "history.db"
    if not path.exists():
        print("history: no file")
        return 1
    db = sqlite3.connect(str(path))
    try:
        intact = db.execute("PRAGMA integrity_check").fetchone()[0]
        kept = Counter(bytes(raw).decode("latin-1") for (raw,) in db.execute("SELECT barcode FROM outcome"))
    finally:
        db.close()
    sent = Counter(code for _, code in requests)
    missing = [code for code in sent if not kept[code]] if drained else []
    extra = [code for code in kept if kept[code] > sent[code]]
    print(f"history: integrity_check {intact}; rows {sum(kept.values())}; packs sent but not kept: {len(missing)}; "
          f"kept more often than sent: {len(extra)}")
    for code in (missing + extra)[:10]:
        print(f"  history: {code} sent {sent[code]}, kept {kept[code]}")
    return (intact != "ok") + len(missing) + len(extra)


def describe_process(pid):
    """A left process's state, parent and command line, to tell where it hangs."""
    try:
        status = dict(line.split(":\t", 1) for line in Path(f"/proc/{pid}/status").read_text().splitlines()
                      if ":\t" in line)
        arguments = Path(f"/proc/{pid}/cmdline").read_bytes().replace(b"\0", b" ").decode("latin-1")
        return f"state {status.get('State')}, parent {status.get('PPid')}, started as: {arguments[:300]}"
    except OSError:
        return "gone"


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


def kill_after_a_scan(just_typed, rng):
    """Lets the program run a moment, then waits for the next scan typed and
    kills within 120 ms of it."""
    time.sleep(rng.uniform(0.5, 2.0))
    just_typed.clear()
    just_typed.wait(5)
    time.sleep(rng.uniform(0.0, 0.12))


def run(kills, seed, prefix_path, fast, keep_scans):
    rng = random.Random(seed)
    barcodes = [pack_barcode("K", n) for n in range(kills * 30 + 100)]
    typed, kill_times = [], []
    stop, just_typed = threading.Event(), threading.Event()
    pace = (0.1, 0.3) if fast else (0.3, 1.5)
    with work_folder("kills") as work, Standin(work, barcodes, delay_ms=60) as standin, \
            Prefix(prefix_path, work, standin.host, [PORT]) as prefix:
        if keep_scans:
            prefix.set_value("KeepScansDuringOutage", "1")
        outages, at_kills, out = Counter(), Counter(), threading.Event()
        outage_cycler = threading.Thread(target=cycle_outages,
                                         args=(standin, stop, random.Random(seed + 2), outages, out))
        program = Program(prefix)
        program.start(readers=1, timeout=120)
        if keep_scans:
            outage_cycler.start()
        typist = threading.Thread(target=type_scans,
                                  args=(prefix.scanner_input(PORT), barcodes, typed, stop, random.Random(seed + 1),
                                        pace, just_typed))
        typist.start()
        try:
            for _ in range(kills):
                if fast:
                    kill_after_a_scan(just_typed, rng)
                elif keep_scans:
                    # Mostly while scans wait: in the outage, or after it while they go again.
                    wait_until(lambda: waiting_files(prefix), rng.uniform(1, 10))
                    time.sleep(rng.uniform(0.0, 1.5))
                else:
                    time.sleep(rng.uniform(0.2, 2.5))
                if waiting_files(prefix):
                    at_kills["while scans waited in an outage" if out.is_set() else "during a replay"] += 1
                program.kill()
                kill_times.append(time.time())
                time.sleep(rng.uniform(0.0, 0.5))
                program.start(readers=1, timeout=120)
        finally:
            stop.set()
            typist.join()
            if outage_cycler.is_alive():
                outage_cycler.join()
        if keep_scans:
            standin.end_outage()
            print("outages: " + ", ".join(f"{kind} {n}" for kind, n in sorted(outages.items()))
                  + "; kills " + ", ".join(f"{moment}: {n}" for moment, n in sorted(at_kills.items())))
        # The last life sends whatever is still waiting, for as long as the
        # waiting files keep going. At the fast pace the worker cannot keep
        # up (that is the point): what waits in the folder is counted as kept.
        settled = drain(prefix, 150 if keep_scans else 60) if not fast else True
        time.sleep(2)
        program.kill()
        # The job ends a running curl.exe when the killed program's handles
        # close, a moment after the program itself: one still there after
        # that has outlived its program.
        wait_until(lambda: not prefix.processes("curl.exe"), 10)
        for pid in prefix.processes("curl.exe"):
            print(f"curl.exe left: process {pid}, {describe_process(pid)}")
        twice = [pack["serial"] for pack in standin.packs() if pack["decommission_requests"] > 1]
        faults = history_faults(prefix, standin.pack_requests(), settled and not fast)
        verdict = report(standin.pack_requests(), Trace(prefix), typed, kill_times, prefix.scan_folder_contents(),
                         len(prefix.processes("curl.exe")), settled, fast, twice)
        return verdict or (1 if faults else 0)


def report(requests, trace, typed, kill_times, left, curls_left, settled, waiting_allowed=False,
           decommissioned_twice=None):
    """`decommissioned_twice`: the packs that were, as the stand-in counted
    them. Every scan here is a Decommission of a pack of its own, so a second
    request for a pack is only allowed as the Verify that goes before a
    decommission whose answer was lost; without it (None), any second arrival
    without a kill between counts."""
    spooled = trace.spooled()
    taken = set(spooled.values())
    received = Counter(code for _, code in requests)
    cut_off = [code for _, code in trace.matching(r'Removing cut-off spool file "(.*)": barcode "(.*)" was not sent')]
    waiting = set(left.values())  # still in the folder: counted as left, not lost
    lost = sorted(taken - set(received) - waiting)
    without_kill = duplicates_without_kill(requests, kill_times)
    after_kill = sum(n - 1 for n in received.values()) - len(without_kill)
    unexplained = without_kill if decommissioned_twice is None else decommissioned_twice
    if decommissioned_twice is not None:
        print(f"arrivals again without a kill (a Verify before repeating, or a replay): {len(without_kill)}; "
              f"packs decommissioned twice: {len(decommissioned_twice)}")
    # Lines that waited in the port while the program was down arrive in one
    # read, and one read's lines are one barcode joined by "@" (the reader's
    # rule for a scanner's burst): they reach the service together.
    joined = {code for code in received if "@" in code and set(code.split("@")) <= set(typed)}
    strangers = sorted(set(received) - set(typed) - joined)
    in_joined = {part for code in joined for part in code.split("@")}
    never_spooled = len(set(typed) - taken - set(received) - set(cut_off) - in_joined)
    kept = {part for code in waiting for part in code.split("\0")[0].split("@")}
    read_unsent = trace.read_codes(set(typed)) - set(received) - in_joined - kept
    windows = sorted(trace.read_to_saved())
    print(f"kills: {len(kill_times)}; lives ended (the last included) "
          + ", ".join(f"{moment}: {n}" for moment, n in sorted(kill_moments(trace).items())))
    print(f"typed {len(typed)}, taken (\"Saved to\") {len(taken)}, received {len(received)} distinct "
          f"in {sum(received.values())} requests")
    print(f"sent twice after a kill cut their exchange off: {after_kill}")
    print(f"cut-off spool files removed and told: {len(cut_off)}")
    print(f"typed while the program was down and sent joined in one barcode: {len(in_joined)} "
          f"(in {len(joined)} requests)")
    print(f"never spooled (in the reader's memory or typed while the program was down): {never_spooled}")
    print(f"read from the port but neither sent nor waiting in the scan folder: {len(read_unsent)} "
          f"({len(read_unsent & set(cut_off))} of them cut off and asked for again, "
          f"{len(read_unsent - set(cut_off))} lost silently)")
    if windows:
        print(f"read to \"Saved to\": median {1000 * windows[len(windows) // 2]:.0f} ms, "
              f"longest {1000 * windows[-1]:.0f} ms, of {len(windows)} scans")
    finished = trace.count("Finished spool file")
    print(f"complete temporary spool files finished at start: {finished}")
    print(f"received without a \"Saved to\" line (killed between the rename and the line, or finished at start): "
          f"{len(set(received) - taken)}")
    twice_label = "sent twice without a kill" if decommissioned_twice is None else "decommissioned twice"
    print(f"LOST: {len(lost)}; {twice_label}: {len(unexplained)}; not typed: {len(strangers)}; "
          f"left in the scan folder: {len(left)}; curl.exe left: {curls_left}")
    for label, items in (("lost", lost), ("not typed", strangers), ("left", left)):
        for item in list(items)[:20]:
            print(f"  {label}: {item}")
    failed = lost or unexplained or strangers or (left and not waiting_allowed) or curls_left or not settled or not taken
    return 1 if failed else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--kills", type=int, default=200)
    parser.add_argument("--seed", type=int, default=int(time.time()))
    parser.add_argument("--prefix", default=str(BUILD / "proof-prefix"))
    parser.add_argument("--fast", action="store_true", help="a scan every 0.1-0.3 s, kills right after a read")
    parser.add_argument("--keep-scans", action="store_true", help="KeepScansDuringOutage on, with outages")
    args = parser.parse_args()
    print(f"kill proof: {args.kills} kills, seed {args.seed}, prefix {args.prefix}, "
          f"{'fast' if args.fast else 'counter'} pace{', scans kept through outages' if args.keep_scans else ''}")
    return run(args.kills, args.seed, Path(args.prefix), args.fast, args.keep_scans)


if __name__ == "__main__":
    sys.exit(main())
