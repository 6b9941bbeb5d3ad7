"""The real installer in a fresh Wine prefix of its own: a silent install, an
upgrade in place while a scan waits, and a silent uninstall that keeps the
user's data unless asked. Ends every process it started and deletes its
prefix. Usage: installer_test.py [unittest arguments]"""

import faulthandler
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools" / "proof"))
from harness import BIN, ROOT, SETTINGS_KEY, STANDIN_EXE, Standin, pack_barcode, run_wine, wait_until, wine_processes  # noqa: E402

PRODUCT = "QuorvixFMD Pellwick"
INSTALLER = next((BIN / "package").glob("PellwickSetup-*.exe"))
NEWER = next((BIN / "package-next").glob("PellwickSetup-*.exe"))
VERSION = INSTALLER.stem.split("-")[1]
NEWER_VERSION = NEWER.stem.split("-")[1]
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall" + "\\" + PRODUCT


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
        cls.addClassCleanup(cls.remove_prefix)  # also when the set-up fails half-way
        subprocess.run(["wineboot", "-i"], env=cls.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=300)
        cls.wine("reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f")
        # The stand-in speaks TLS with a certificate of the build's test authority.
        subprocess.run([str(ROOT / "tools" / "trust-test-ca.sh"), str(cls.prefix),
                        str(Path(STANDIN_EXE).parent / "test-ca.pem"), str(BIN / "trust_ca.exe")],
                       env=cls.env, stdout=subprocess.DEVNULL, check=True, timeout=300)
        users = next(cls.prefix.glob("drive_c/users/*/AppData"))
        cls.install_dir = users / "Local" / "Programs" / PRODUCT
        cls.app_folder = users / "Roaming" / PRODUCT
        cls.shortcut = users / "Roaming" / "Microsoft" / "Windows" / "Start Menu" / "Programs" / (PRODUCT + ".lnk")

    @classmethod
    def remove_prefix(cls):
        subprocess.run(["wineserver", "-k"], env=cls.env, check=False)
        subprocess.run(["wineserver", "-w"], env=cls.env, check=False, timeout=120)
        shutil.rmtree(cls.work, ignore_errors=True)

    @classmethod
    def wine(cls, *args):
        return run_wine(args, cls.env)

    def setUp(self):
        self.uninstall("/REMOVEDATA")

    def tearDown(self):
        self.uninstall("/REMOVEDATA")

    def registry(self, key, name):
        """A value's data as `reg query` shows it (name, type and data apart
        by four blanks), or None."""
        lines = self.wine("reg", "query", key, "/v", name).stdout.decode("latin-1").splitlines()
        found = [f[2] for f in (line.strip().split("    ") for line in lines) if len(f) == 3 and f[0] == name]
        return found[0] if found else None

    def settings(self, **values):
        """The account and service to use; never the real update server."""
        for name, value in dict(values, UpdateHost="127.0.0.1:1").items():
            self.wine("reg", "add", SETTINGS_KEY, "/v", name, "/d", value, "/f")

    def install(self, installer, *switches):
        self.assertEqual(self.wine(str(installer), "/S", *switches).returncode, 0)

    def uninstall(self, *switches):
        """Runs the installed uninstaller silently and waits until it has
        finished (it goes on from a copy of itself)."""
        uninstaller = self.install_dir / "Uninstall.exe"
        if uninstaller.exists():
            self.wine(str(uninstaller), "/S", *switches)
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

    def spool_scan(self, name, barcode):
        """Puts a scan in the program's folder the way the program does: whole
        under another name first, so the worker never reads it half-written."""
        folder = self.app_folder / "Scanned"
        folder.mkdir(exist_ok=True)
        (folder / (name + ".tmp")).write_bytes(b"1" + barcode.encode())
        os.replace(folder / (name + ".tmp"), folder / name)

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
        # A restart of the PC (here: of Wine's session) starts it again, through the Run value.
        subprocess.run(["wineserver", "-k"], env=self.env, check=False)
        subprocess.run(["wineboot"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False,
                       timeout=300)
        self.assertTrue(wait_until(self.installed_program_runs, 30), "started at logon")

        # Installed again without start at logon and not started: the value
        # goes, and the program it ended stays ended.
        self.install(INSTALLER, "/NOAUTOSTART", "/NORUN")
        self.assertIsNone(self.registry(RUN_KEY, PRODUCT))
        self.assertEqual(self.running(), [])

    def test_b_an_upgrade_ends_the_program_and_the_new_one_sends_the_waiting_scan(self):
        barcode = pack_barcode("UPG", 1)
        with Standin(self.work, [barcode]) as standin:
            self.settings(Username="PHARM01", Password="s3cret", ServiceHost=standin.host, ToTray="0")
            self.install(INSTALLER)
            self.assertTrue(wait_until(lambda: self.window_shown(VERSION), 60))
            old = self.running()
            # The start's credentials check first, or it would hang beside the scan.
            self.assertTrue(wait_until(lambda: any(standin.records.iterdir()), 60), "no credentials check")
            # The service goes down behind the network; a scan comes and its exchange hangs.
            standin.control(reachable=False)
            self.spool_scan("900000000000000001.dat", barcode)
            self.assertTrue(wait_until(lambda: standin.control()["held"] == 1, 30),
                            "the exchange hangs: %s\n%s" % (standin.control(), self.trace_tail()))
            # Another program of this user by the same name, found after the first: it ends too.
            other = self.work / "other" / "Pellwick.exe"
            other.parent.mkdir(exist_ok=True)
            shutil.copy(BIN / "desktop_keeper.exe", other)
            subprocess.Popen(["wine", str(other)], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.assertTrue(wait_until(lambda: len(self.running()) == len(old) + 1, 30))
            old = self.running()

            self.install(NEWER)
            self.assertTrue(wait_until(lambda: self.running() and set(old).isdisjoint(self.running()), 30),
                            "the old process ended and a new one runs")
            self.assertEqual(self.registry(UNINSTALL_KEY, "DisplayVersion"), NEWER_VERSION)
            self.assertIn("900000000000000001.dat", self.scan_folder())

            standin.control(reachable=True)
            self.assertTrue(wait_until(lambda: self.window_shown(NEWER_VERSION), 90), "the new version runs")
            self.assertEqual(len(self.running()), 1)
            self.assertTrue(wait_until(lambda: not self.scan_folder(), 90), self.scan_folder())
            time.sleep(2)  # a third request would have arrived by now
            # The ended program's request may have arrived: a Verify goes first, then the one Decommission.
            self.assertEqual([raw for _, raw in standin.pack_requests()], [barcode, barcode], self.trace_tail())
            packs = standin.packs()
            self.assertEqual([(p["state"], p["decommission_requests"]) for p in packs], [("Supplied", 1)], packs)

    def test_c_a_silent_uninstall_keeps_the_users_data_unless_asked(self):
        for switches in ((), ("/REMOVEDATA",)):
            self.settings(Username="PHARM01", Password="", ServiceHost="127.0.0.1:1", ToTray="0")
            self.install(INSTALLER)
            self.assertTrue(wait_until(self.installed_program_runs, 30))
            self.assertTrue(wait_until(lambda: (self.app_folder / "Scanned").is_dir(), 30))
            self.spool_scan("900000000000000002.dat", pack_barcode("KEEP", 2))

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
    faulthandler.dump_traceback_later(280, exit=True)  # where it hung, before the test's time-out ends it
    unittest.main()
