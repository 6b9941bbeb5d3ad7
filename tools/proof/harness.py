"""The scan proofs' shared parts: the stand-in service with its recorded
requests, a Wine prefix set up for the program with virtual scanners, the
running program (started, killed as a Linux process), and what its trace
says. Every part ends what it started when its `with` block ends."""

import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("PELLWICK_BUILD", ROOT / "build"))
BIN = Path(os.environ.get("PELLWICK_BIN", BUILD / "win" / "bin"))
STANDIN_EXE = os.environ.get("PELLWICK_STANDIN_EXE", str(BUILD / "native" / "fmd_standin"))
SETTINGS_KEY = r"HKCU\SOFTWARE\Tembrel Pharmaceutical Suppliers\QuorvixFMD Pellwick"
TITLE = "QuorvixFMD Pellwick Version 1.190416"
RESULTS_LIST = 1015
PRODUCT = "04150123456782"


def pack_barcode(tag, number):
    """A GS1 pack code with a serial of its own; the serial ends the code, so
    no group separator is needed."""
    return f"01{PRODUCT}21{tag}{number:05d}"


def wait_until(condition, timeout, step=0.1):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(step)
    return condition()


class Standin:
    """The stand-in verification service, knowing `barcodes` as active packs
    and recording each request as it arrives."""

    def __init__(self, work, barcodes, delay_ms=0):
        self.records = Path(work) / "requests"
        self.records.mkdir()
        serial_at = len("01" + PRODUCT + "21")
        packs = [{"gtin": PRODUCT, "serial": code[serial_at:], "lot": "LOT24A", "expiry": "291231"}
                 for code in barcodes]
        packs_file = Path(work) / "packs.json"
        packs_file.write_text(json.dumps(packs))
        port_file = Path(work) / "port"
        self.process = subprocess.Popen(
            [STANDIN_EXE, "--account", "PHARM01:s3cret", "--packs", str(packs_file),
             "--record-dir", str(self.records), "--port-file", str(port_file), "--delay-ms", str(delay_ms),
             "--time-limit", "7200"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_until(lambda: port_file.exists() and port_file.read_text().strip(), 10):
            self.close()
            raise RuntimeError("the stand-in service did not start")
        self.host = "127.0.0.1:" + port_file.read_text().strip()

    def pack_requests(self):
        """(arrival time, barcode) of every pack request, in arrival order."""
        requests = []
        for record in sorted(self.records.iterdir()):
            body = json.loads(record.read_bytes().decode("latin-1"))
            if "List" in body:
                requests.append((record.stat().st_mtime, body["List"]["$values"][0]["Raw"]))
        return requests

    def close(self):
        self.process.kill()
        self.process.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class Prefix:
    """A Wine prefix with the program's account and service host in its
    registry, an empty application folder and virtual scanners on `ports`.
    Leaves the prefix as it found it: settings, folder and ports removed."""

    def __init__(self, path, work, service_host, ports):
        self.path = Path(path)
        self.work = Path(work)
        self.ports = ports
        self.env = dict(os.environ, WINEPREFIX=str(self.path), WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        subprocess.run([str(ROOT / "tools" / "wine-run.sh"), "cmd", "/c", "exit"], env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        self.app_folder = next(self.path.glob("drive_c/users/*/AppData/Roaming")) / "QuorvixFMD Pellwick"
        self._reset()
        for name, value in (("Username", "PHARM01"), ("Password", "s3cret"), ("ServiceHost", service_host),
                            ("ToTray", "0")):
            self.wine("reg", "add", SETTINGS_KEY, "/v", name, "/d", value, "/f")
        for n in ports:
            self._scanner("attach", n)

    def wine(self, *args):
        return subprocess.run(["wine", *args], env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              check=False).stdout

    def _scanner(self, action, n):
        subprocess.run([str(ROOT / "tools" / "scanner-sim.sh"), action, str(self.path), str(self.work), str(n),
                        f"Silabser{n}"], env=self.env, stdout=subprocess.DEVNULL, check=True)

    def _reset(self):
        self.wine("reg", "delete", SETTINGS_KEY, "/f")
        shutil.rmtree(self.app_folder, ignore_errors=True)

    def scanner_input(self, n):
        return self.work / f"com{n}-input"

    def scan_folder_files(self):
        folder = self.app_folder / "Scanned"
        return sorted(p.name for p in folder.iterdir()) if folder.is_dir() else []

    def scan_folder_contents(self):
        """Name -> barcode (without its mode digit) of each file left in the scan folder."""
        folder = self.app_folder / "Scanned"
        return {name: (folder / name).read_bytes().decode("latin-1")[1:] for name in self.scan_folder_files()}

    def processes(self, name):
        """Linux ids of this prefix's Windows processes called `name`."""
        found = []
        for entry in Path("/proc").iterdir():
            try:
                if not entry.name.isdigit() or (entry / "comm").read_text().strip() != name:
                    continue
                if f"WINEPREFIX={self.path}".encode() in (entry / "environ").read_bytes().split(b"\0"):
                    found.append(int(entry.name))
            except OSError:
                continue
        return found

    def close(self):
        for pid in self.processes("Pellwick.exe"):
            os.kill(pid, signal.SIGKILL)
        for n in self.ports:
            self._scanner("detach", n)
        self._reset()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class Program:
    """The real program in `prefix`, ended by SIGKILL: nothing of it runs after."""

    def __init__(self, prefix):
        self.prefix = prefix
        self.launcher = None

    def start(self, readers, timeout=60):
        """Starts it and waits until `readers` more readers run than before."""
        before = Trace(self.prefix).count(" - running")
        self.launcher = subprocess.Popen(["wine", str(BIN / "Pellwick.exe")], env=self.prefix.env,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_until(lambda: Trace(self.prefix).count(" - running") >= before + readers, timeout):
            raise RuntimeError("the program's readers did not start")

    def kill(self):
        pids = self.prefix.processes("Pellwick.exe")
        for pid in pids:
            os.kill(pid, signal.SIGKILL)
        wait_until(lambda: not self.prefix.processes("Pellwick.exe"), 10, 0.01)
        if self.launcher:
            self.launcher.wait()
        return bool(pids)

    def rows(self):
        """The results list's rows, each a list of its four cells."""
        text = self.prefix.wine(str(BIN / "list_rows.exe"), TITLE, str(RESULTS_LIST))
        return [line.split("\t") for line in text.decode("latin-1").splitlines()]


TRACE_LINE = re.compile(r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} +(\d+)\) (.*)$")


class Trace:
    """The program's trace files, oldest first, as (thread, text) lines; a
    start's banner is a line of thread 0 with the text "start"."""

    def __init__(self, prefix):
        folder = prefix.app_folder / "Logs"
        files = sorted(folder.glob("trace-*.txt"), key=lambda p: -int(p.stem.split("-")[1]))
        self.lines = []
        for path in files:
            for raw in path.read_bytes().decode("latin-1").splitlines():
                match = TRACE_LINE.match(raw)
                if match:
                    self.lines.append((int(match.group(1)), match.group(2)))
                elif raw.startswith("Log Started"):
                    self.lines.append((0, "start"))

    def count(self, fragment):
        return sum(fragment in text for _, text in self.lines)

    def spooled(self):
        """Spool key -> barcode, from each reader thread's "barcode =" line
        and the "Saved to" line that follows it."""
        pending, keys = {}, {}
        for thread, text in self.lines:
            if text == "start":
                pending.clear()
            elif (match := re.match(r'COM\d+ - barcode = "(.*)"$', text)):
                pending[thread] = match.group(1)
            elif (match := re.match(r'Saved to "(\d+)\.dat"$', text)) and thread in pending:
                keys[match.group(1)] = pending.pop(thread)
        return keys

    def matching(self, pattern):
        return [match.groups() for _, text in self.lines if (match := re.search(pattern, text))]


def work_folder(tag):
    """A temporary folder for the stand-in's files and the ports, removed with its `with` block."""
    return tempfile.TemporaryDirectory(prefix=f"pellwick-{tag}-")
