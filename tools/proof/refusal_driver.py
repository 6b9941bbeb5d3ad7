#!/usr/bin/env python3
"""The refused-password proof: with KeepScansDuringOutage on, a virtual
scanner types decommission scans at a counter's pace, and part-way through
the pharmacy's password is changed at the stand-in service, behind the
program's back (as at a national portal). The program must send the refused
password at most twice (the scan and one credentials check), keep every scan
that follows, and open its Settings sheet; a few seconds later the new
password is typed into the sheet and saved, and every waiting scan goes out.

Checked at the end: the account never locked; every scan has a final row;
each pack was decommissioned exactly once; the scan folder is empty. Prints
the requests that carried the refused password and how long the waiting
scans took to go once the new password was saved.

Usage: refusal_driver.py [--scans N] [--pace MIN,MAX] [--notice-seconds S] [--prefix PATH]
Exits 1 when any check fails."""

import argparse
import json
import random
import sys
import threading
import time
from collections import Counter
from pathlib import Path

from harness import BIN, BUILD, Prefix, Standin, pack_barcode, wait_until, work_folder
from outage_driver import FINAL_STATUSES, SERIAL_AT, rows_by_code, start_keeping_scans, type_scans

PORT = 5
NEW_PASSWORD = "n3w-s3cret"
# The Settings sheet's password edit and its Save button.
PASSWORD_EDIT, SAVE_BUTTON = 1021, 1


def bodies_since(standin, first):
    """The request bodies recorded from the `first`th on, as JSON."""
    records = sorted(standin.records.iterdir())[first:]
    return [json.loads(record.read_bytes().decode("latin-1")) for record in records]


def post(prefix, *args):
    """Types into or presses a control of the program's Settings sheet; true
    when the sheet is open."""
    return prefix.run_quiet(str(BIN / "post_command.exe"), "Settings", *[str(a) for a in args]) == 0


def run(scans, pace, notice_seconds, prefix_path):
    codes = [pack_barcode("PW", n) for n in range(scans)]
    with work_folder("refusal") as work, Standin(work, codes) as standin, \
            Prefix(prefix_path, work, standin.host, [PORT]) as prefix:
        program = start_keeping_scans(prefix)
        if not program:
            return 1
        typed = []
        typist = threading.Thread(target=type_scans,
                                  args=(prefix.scanner_input(PORT), codes, pace, typed, random.Random(7)))
        typist.start()
        wait_until(lambda: len(typed) >= max(1, scans // 4), 60 + scans * pace[1])
        changed_at = len(list(standin.records.iterdir()))
        standin.control(set_password={"account": "PHARM01", "password": NEW_PASSWORD})
        # The program opens its sheet; the pharmacist finds the new password meanwhile.
        opened = wait_until(lambda: post(prefix, PASSWORD_EDIT, ""), 120, 0.5)
        time.sleep(notice_seconds)
        refused_before_save = [b for b in bodies_since(standin, changed_at) if b.get("Password") != NEW_PASSWORD]
        saved = opened and post(prefix, PASSWORD_EDIT, NEW_PASSWORD) and post(prefix, SAVE_BUTTON)
        saved_at = time.monotonic()
        typist.join()
        drained = wait_until(lambda: not prefix.scan_folder_files(), 120 + scans * 2, 0.2)
        drain_seconds = time.monotonic() - saved_at
        final_ok = wait_until(lambda: all(set(rows_by_code(program, set(codes)).get(c, [])) & FINAL_STATUSES
                                          for c in codes), 60, 1)
        statuses = rows_by_code(program, set(codes))
        program.kill()

        refused = [b for b in bodies_since(standin, changed_at) if b.get("Password") != NEW_PASSWORD]
        accounts = standin.control()["accounts"]
        serials = {code[SERIAL_AT:] for code in codes}
        packs = {p["serial"]: p for p in standin.packs() if p["serial"] in serials}
        twice = sorted(s for s, p in packs.items() if p["decommission_requests"] > 1)
        never = sorted(s for s in serials if s not in packs or packs[s]["state_changes"] != 1)
        unanswered = [c for c in codes if not set(statuses.get(c, [])) & FINAL_STATUSES]
        rows = Counter(s for c in codes for s in statuses.get(c, ["(no row)"]))
        kinds = Counter(b["$type"].split(".")[1] for b in refused)
        print(f"refusal: {scans} scans; the password changed after {changed_at} requests; the sheet "
              f"{'opened' if opened else 'did NOT open'}; {len(refused)} requests carried the refused password "
              f"({', '.join(f'{k} {n}' for k, n in sorted(kinds.items()))}; {len(refused_before_save)} before the "
              f"save, over {notice_seconds:g} s); account locked: {accounts['PHARM01']['locked']}")
        print(f"refusal: after the save the scan folder was empty in {drain_seconds:.1f} s; rows "
              + ", ".join(f"{s} {n}" for s, n in sorted(rows.items()))
              + f"; unanswered {len(unanswered)}; decommissioned twice {len(twice)}; not decommissioned {len(never)}")
        for label, items in (("unanswered", unanswered), ("twice", twice), ("never", never)):
            for item in items[:10]:
                print(f"  {label}: {item}")
        ok = opened and saved and drained and final_ok and len(refused) <= 2 and \
            not accounts["PHARM01"]["locked"] and not (unanswered or twice or never)
        return 0 if ok else 1


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scans", type=int, default=50)
    parser.add_argument("--pace", default="0.3,1.5", help="seconds between scans, from MIN to MAX")
    parser.add_argument("--notice-seconds", type=float, default=5, help="until the new password is saved")
    parser.add_argument("--prefix", default=str(BUILD / "proof-prefix"))
    args = parser.parse_args()
    pace = tuple(float(x) for x in args.pace.split(","))
    print(f"refused-password proof: {args.scans} scans, the password changed at the service a quarter of the "
          f"way; prefix {args.prefix}")
    return run(args.scans, pace, args.notice_seconds, Path(args.prefix))


if __name__ == "__main__":
    sys.exit(main())
