"""The real installer in a fresh Wine prefix of its own: a silent install, an
upgrade in place while a scan waits, and a silent uninstall that keeps the
user's data unless asked. Ends every process it started and deletes its
prefix. Usage: installer_test.py [unittest arguments]"""

import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools" / "proof"))
from harness import BIN, SETTINGS_KEY, Standin, pack_barcode, wait_until, wine_processes  # noqa: E402

PRODUCT = "QuorvixFMD Pellwick"
INSTALLER = next((BIN / "package").glob("PellwickSetup-*.exe"))
NEWER = next((BIN / "package-next").glob("PellwickSetup-*.exe"))
VERSION = INSTALLER.stem.split("-")[1]
NEWER_VERSION = NEWER.stem.split("-")[1]
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall" + "\\" + PRODUCT


class ServiceGate:
    """Stands between the program and the stand-in service. Up, it relays
    every connection. Down, it behaves as a service that hangs: a plain
    request is held unanswered, a TLS hello is cut at once (the stand-in
    speaks plain HTTP, so an https attempt fails fast either way and the
    program goes on with http). Brought up again, it relays each held request
    whose sender still waits and drops those whose sender has gone."""

    def __init__(self, target):
        self.target = target
        self.listener = socket.create_server(("127.0.0.1", 0))
        self.host = "127.0.0.1:%d" % self.listener.getsockname()[1]
        self.lock = threading.Lock()
        self.up, self.held = True, []
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        while True:
            try:
                connection, _ = self.listener.accept()
            except OSError:
                return
            threading.Thread(target=self._take, args=(connection,), daemon=True).start()

    def _take(self, connection):
        if not self.up:
            first = connection.recv(1, socket.MSG_PEEK)
            with self.lock:
                if not self.up:
                    if first and first != b"\x16":
                        self.held.append(connection)
                    else:
                        connection.close()
                    return
        self._relay(connection, b"")

    def _relay(self, client, received):
        """Relays until the service ends its answer, then ends both ways, so
        that the program sees the service's own close (a failed TLS attempt
        would otherwise wait for its time-out)."""
        host, port = self.target.split(":")
        with client, socket.create_connection((host, int(port))) as server:
            server.sendall(received)
            threading.Thread(target=self._pipe, args=(client, server), daemon=True).start()
            self._pipe(server, client)
            try:  # wakes the other direction's read, which a close alone would not
                client.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    @staticmethod
    def _pipe(source, sink):
        try:
            while data := source.recv(65536):
                sink.sendall(data)
            sink.shutdown(socket.SHUT_WR)
        except OSError:
            pass

    @staticmethod
    def _drain(connection):
        """What the sender has sent so far, and whether it has gone."""
        connection.setblocking(False)
        received = b""
        try:
            while data := connection.recv(65536):
                received += data
            return received, True
        except BlockingIOError:
            return received, False
        finally:
            connection.setblocking(True)

    def held_requests(self):
        with self.lock:
            return len(self.held)

    def go_down(self):
        self.up = False

    def come_up(self):
        with self.lock:
            self.up, held, self.held = True, self.held, []
        for connection in held:
            received, gone = self._drain(connection)
            if gone:
                connection.close()
            else:
                threading.Thread(target=self._relay, args=(connection, received), daemon=True).start()

    def close(self):
        self.listener.close()
        for connection in self.held:
            connection.close()


class Installer(unittest.TestCase):
    """One fresh prefix for the class; each test starts with nothing installed."""

    @classmethod
    def setUpClass(cls):
        if not os.environ.get("DISPLAY"):
            raise unittest.SkipTest("needs an X display (tools/test.sh gives one)")
        cls.work = Path(tempfile.mkdtemp(prefix="pellwick-install-"))
        cls.prefix = cls.work / "prefix"
        cls.env = dict(os.environ, WINEPREFIX=str(cls.prefix), WINEDEBUG="-all", WINEARCH="win64",
                       WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        subprocess.run(["wineboot", "-i"], env=cls.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        cls.wine("reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f")
        users = next(cls.prefix.glob("drive_c/users/*/AppData"))
        cls.install_dir = users / "Local" / "Programs" / PRODUCT
        cls.app_folder = users / "Roaming" / PRODUCT
        cls.shortcut = users / "Roaming" / "Microsoft" / "Windows" / "Start Menu" / "Programs" / (PRODUCT + ".lnk")

    @classmethod
    def tearDownClass(cls):
        subprocess.run(["wineserver", "-k"], env=cls.env, check=False)
        subprocess.run(["wineserver", "-w"], env=cls.env, check=False)
        shutil.rmtree(cls.work, ignore_errors=True)

    @classmethod
    def wine(cls, *args, output=True):
        """Runs a Windows program and waits for it; `output` captures what it
        prints (not for one that starts the program, which would keep the
        pipe open)."""
        return subprocess.run(["wine", *args], env=cls.env, stdout=subprocess.PIPE if output else subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, check=False)

    def setUp(self):
        self.uninstall("/REMOVEDATA")

    def tearDown(self):
        self.uninstall("/REMOVEDATA")

    def registry(self, key, name):
        """A value's data as `reg query` shows it (name, type and data apart
        by four blanks), or None."""
        result = self.wine("reg", "query", key, "/v", name)
        for line in result.stdout.decode("latin-1").splitlines():
            fields = line.strip().split("    ")
            if result.returncode == 0 and len(fields) == 3 and fields[0] == name:
                return fields[2]
        return None

    def settings(self, **values):
        for name, value in values.items():
            self.wine("reg", "add", SETTINGS_KEY, "/v", name, "/d", value, "/f")

    def install(self, installer, *switches):
        self.assertEqual(self.wine(str(installer), "/S", *switches, output=False).returncode, 0)

    def uninstall(self, *switches):
        """Runs the installed uninstaller silently and waits until it has
        finished (it goes on from a copy of itself)."""
        uninstaller = self.install_dir / "Uninstall.exe"
        if uninstaller.exists():
            self.wine(str(uninstaller), "/S", *switches, output=False)
            self.assertTrue(wait_until(lambda: not self.install_dir.exists(), 60), "the uninstall did not finish")
        self.assertTrue(wait_until(lambda: not self.running(), 30))

    def running(self, name="Pellwick.exe"):
        return wine_processes(self.prefix, name)

    def installed_program_runs(self):
        return bool(wine_processes(self.prefix, str(self.windows_path(self.install_dir / "Pellwick.exe"))))

    def windows_path(self, path):
        return "C:\\" + str(path.relative_to(self.prefix / "drive_c")).replace("/", "\\")

    def window_shown(self, version):
        title = f"{PRODUCT} Version {version}"
        return self.wine(str(BIN / "list_rows.exe"), title, "1015").returncode == 0

    def trace_tail(self):
        trace = self.app_folder / "Logs" / "trace-1.txt"
        return trace.read_bytes().decode("latin-1")[-3000:] if trace.exists() else "(no trace)"

    def scan_folder(self):
        folder = self.app_folder / "Scanned"
        return sorted(p.name for p in folder.iterdir()) if folder.is_dir() else []

    def test_a_silent_install_places_everything_and_starts_the_program(self):
        self.settings(Username="PHARM01", Password="", ServiceHost="127.0.0.1:1", ToTray="0")
        self.install(INSTALLER)
        self.assertEqual(sorted(p.name for p in self.install_dir.iterdir()), ["Pellwick.exe", "Uninstall.exe", "curl.exe"])
        self.assertTrue(self.shortcut.is_file())
        program = '"%s"' % self.windows_path(self.install_dir / "Pellwick.exe")
        self.assertEqual(self.registry(RUN_KEY, PRODUCT), program)
        expected = {"DisplayName": PRODUCT, "DisplayVersion": VERSION, "Publisher": "Tembrel Pharmaceutical Suppliers",
                    "DisplayIcon": program.strip('"') + ",0", "InstallLocation": self.windows_path(self.install_dir),
                    "UninstallString": '"%s"' % self.windows_path(self.install_dir / "Uninstall.exe"),
                    "QuietUninstallString": '"%s" /S' % self.windows_path(self.install_dir / "Uninstall.exe")}
        for name, value in expected.items():
            self.assertEqual(self.registry(UNINSTALL_KEY, name), value, name)
        self.assertGreater(int(self.registry(UNINSTALL_KEY, "EstimatedSize"), 16), 1000, "in KiB")
        self.assertTrue(wait_until(self.installed_program_runs, 30), "started from where it was installed")
        self.assertTrue(wait_until(lambda: self.window_shown(VERSION), 30))

        # Installed again without start at logon: the value goes, one program runs.
        self.install(INSTALLER, "/NOAUTOSTART", "/NORUN")
        self.assertIsNone(self.registry(RUN_KEY, PRODUCT))
        self.assertTrue(self.shortcut.is_file())
        self.assertEqual(self.running(), [])

    def test_b_an_upgrade_ends_the_program_and_the_new_one_sends_the_waiting_scan(self):
        barcode = pack_barcode("UPG", 1)
        with Standin(self.work, [barcode]) as standin:
            gate = ServiceGate(standin.host)
            try:
                self.settings(Username="PHARM01", Password="s3cret", ServiceHost=gate.host, ToTray="0")
                self.install(INSTALLER)
                self.assertTrue(wait_until(lambda: self.window_shown(VERSION), 60))
                old = self.running()
                # The service goes down; a scan comes and its exchange hangs.
                gate.go_down()
                (self.app_folder / "Scanned").mkdir(exist_ok=True)
                (self.app_folder / "Scanned" / "900000000000000001.dat").write_bytes(b"1" + barcode.encode())
                self.assertTrue(wait_until(lambda: gate.held_requests() == 1, 30), "the exchange hangs")

                self.install(NEWER)
                self.assertTrue(wait_until(lambda: self.running() and set(old).isdisjoint(self.running()), 30),
                                "the old process ended and a new one runs")
                self.assertEqual(self.registry(UNINSTALL_KEY, "DisplayVersion"), NEWER_VERSION)
                self.assertIn("900000000000000001.dat", self.scan_folder())
                self.assertEqual(standin.pack_requests(), [])

                gate.come_up()
                self.assertTrue(wait_until(lambda: self.window_shown(NEWER_VERSION), 90), "the new version runs")
                self.assertEqual(len(self.running()), 1)
                self.assertTrue(wait_until(lambda: not self.scan_folder(), 90), self.scan_folder())
                wait_until(lambda: False, 2)  # a second request would have arrived by now
                self.assertEqual([raw for _, raw in standin.pack_requests()], [barcode], self.trace_tail())
            finally:
                gate.close()

    def test_c_a_silent_uninstall_keeps_the_users_data_unless_asked(self):
        for switches in ((), ("/REMOVEDATA",)):
            self.settings(Username="PHARM01", Password="", ServiceHost="127.0.0.1:1", ToTray="0")
            self.install(INSTALLER)
            self.assertTrue(wait_until(self.installed_program_runs, 30))
            self.assertTrue(wait_until(lambda: (self.app_folder / "Scanned").is_dir(), 30))
            (self.app_folder / "Scanned" / "900000000000000002.dat").write_bytes(b"1" + pack_barcode("KEEP", 2).encode())

            self.uninstall(*switches)
            self.assertFalse(self.install_dir.exists())
            self.assertFalse(self.shortcut.exists())
            self.assertIsNone(self.registry(RUN_KEY, PRODUCT))
            self.assertIsNone(self.registry(UNINSTALL_KEY, "DisplayName"))
            kept = not switches
            self.assertEqual((self.app_folder / "Scanned" / "900000000000000002.dat").exists(), kept, switches)
            self.assertEqual((self.app_folder / "Logs").is_dir(), kept, switches)
            self.assertEqual(self.registry(SETTINGS_KEY, "Username") == "PHARM01", kept, switches)


if __name__ == "__main__":
    unittest.main()
