"""lgcset-cli.exe under Wine against the Linux simulated logger, seen as a COM port: every
command a user runs on Windows, its files compared with those of the Linux lgcset-cli for the
same log, and a line pulled out during a transfer. Run by ctest in the Windows build."""

import datetime
import json
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))
import wine_line  # noqa: E402

SETUP = wine_line.Setup()
# The logger of most cases, and the one whose line is pulled out.
PORT, CUT_PORT = wine_line.COM_PORTS
LINK, CUT_LINK = wine_line.port_link(SETUP, PORT), wine_line.port_link(SETUP, CUT_PORT)
# A short fixed log: 300 records, ten minutes apart, the last at noon on 2026-11-20.
HISTORY = ["--history-end=2026-11-20 12:00", "--records=300", "--log-interval=10"]
RANGE = ["--from", "26-11-19", "--to", "26-11-20"]

logger = None


def setUpModule():
    global logger
    missing = SETUP.missing()
    if missing:
        raise RuntimeError(missing)
    SETUP.work.mkdir(parents=True, exist_ok=True)
    logger = wine_line.Logger(SETUP, LINK, *HISTORY)


def tearDownModule():
    if logger is not None:
        logger.stop()


NO_RECORD_KEPT = "lgcset-cli: No record was kept: this run has no archive."


class ExeCase(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory(dir=SETUP.work)
        self.addCleanup(folder.cleanup)
        self.dir = Path(folder.name)

    def exe(self, *args, port=True, status=0):
        """Runs lgcset-cli.exe on the COM port; checks its exit status and that it printed
        nothing of its own on standard error. Returns standard output."""
        full = ["--port", PORT, *args] if port else list(args)
        code, out, err = wine_line.run_exe(SETUP, full, self.dir)
        self.assertEqual(code, status, f"lgcset-cli.exe {' '.join(full)}: {err}")
        # The Windows build keeps no archive: a command that changes something says once
        # that nothing recorded it.
        err = [line for line in err if line != NO_RECORD_KEPT]
        self.assertEqual(err, [], f"lgcset-cli.exe {' '.join(full)}")
        return out


class PortAndReadings(ExeCase):
    def test_ports_lists_the_mapped_port(self):
        out = self.exe("ports", port=False)
        self.assertIn(PORT, [line.split()[0] for line in out.splitlines() if line])

    def test_a_port_left_out_is_asked_for_as_windows_names_one(self):
        code, _, err = wine_line.run_exe(SETUP, ["info", "--port"], self.dir)
        self.assertEqual(code, 2)
        self.assertEqual(err, ["lgcset-cli: --port needs a port (such as COM3); "
                               "see lgcset-cli --help"])

    def test_info(self):
        self.assertEqual(self.exe("info"), "model R481\nfirmware V3.05-R48x\n")
        self.assertEqual(json.loads(self.exe("info", "--json")),
                         {"model": "R481", "firmware": "V3.05-R48x"})

    def test_current_json(self):
        readings = json.loads(self.exe("current", "--json"))
        for field in ("Sensor1", "Sensor2", "Sensor3", "Sensor4", "GSM Signal", "Relay",
                      "Power Status"):
            self.assertIn(field, readings)
        float(readings["Sensor1"])

    def test_clock_set_and_read_back(self):
        self.exe("clock", "--set", "2025-06-01 10:00:00")
        shown = datetime.datetime.fromisoformat(json.loads(self.exe("clock", "--json"))["clock"])
        self.assertLess(abs(shown - datetime.datetime(2025, 6, 1, 10, 0, 0)),
                        datetime.timedelta(seconds=30))
        # "now" is the computer's local time, TZ=UTC on both sides.
        self.exe("clock", "--set", "now")
        shown = datetime.datetime.strptime(self.exe("clock").strip(), "%Y-%m-%d %H:%M:%S")
        now = datetime.datetime.now(datetime.timezone.utc).replace(tzinfo=None)
        self.assertLess(abs(shown - now), datetime.timedelta(seconds=30))


class Profiles(ExeCase):
    def test_read_write_verify_diff(self):
        self.exe("read", "read.ini")
        read = (self.dir / "read.ini").read_text()
        self.assertIn("[COM]", read)
        self.assertEqual(self.exe("diff", "read.ini"), "")

        changed = read.replace("tel1=\n", "tel1=13800138000\n").replace("port=8000", "port=9001")
        self.assertNotEqual(changed, read)
        (self.dir / "changed.ini").write_text(changed)
        self.assertEqual(self.exe("write", "--yes", "changed.ini").strip().splitlines()[-1], "verified")
        try:
            self.assertEqual(self.exe("diff", "changed.ini"), "")
            differences = self.exe("diff", "--json", "read.ini", status=1)
            self.assertEqual(len(json.loads(differences)), 2, differences)
            self.exe("read", "again.ini")
            self.assertEqual(without_save_time((self.dir / "again.ini").read_text()),
                             without_save_time(changed))
        finally:
            self.exe("write", "--yes", "read.ini")


def without_save_time(profile):
    """A profile's text without the time its [Origin] says it was saved: two reads a second
    apart differ there alone."""
    return "".join(line for line in profile.splitlines(keepends=True)
                   if not line.startswith("saved_at="))


def exported(folder):
    """The workbook's and the CSV file's bytes of one export in `folder`."""
    books = sorted(folder.glob("SAVE*.xls"))
    tables = sorted(folder.glob("SAVE_CSV_*.csv"))
    assert len(books) == 1 and len(tables) == 1, sorted(p.name for p in folder.iterdir())
    return books[0].read_bytes(), tables[0].read_bytes()


class History(ExeCase):
    def test_files_equal_those_of_the_linux_build(self):
        out = self.exe("history", *RANGE, "--out", "windows")
        code, linux_out, linux_err = wine_line.run_linux_cli(
            SETUP, ["--port", str(LINK), "history", *RANGE, "--out", "linux", "--no-archive"],
            self.dir)
        self.assertEqual(code, 0, linux_err)
        # The first line counts the records; the next ones name the files, by the time.
        self.assertEqual(out.splitlines()[0], linux_out.splitlines()[0])
        self.assertRegex(out.splitlines()[0], r"^2\d\d records$")
        windows_book, windows_csv = exported(self.dir / "windows")
        linux_book, linux_csv = exported(self.dir / "linux")
        self.assertEqual(windows_csv, linux_csv)
        self.assertEqual(windows_book, linux_book)


class Demo(ExeCase):
    def test_info_read_history_without_a_port(self):
        self.assertEqual(self.exe("--demo", "R483", "info", port=False),
                         "model R483\nfirmware V3.05-R48x\n")
        self.exe("--demo", "read", "demo.ini", port=False)
        self.assertIn("[SENSOR4]", (self.dir / "demo.ini").read_text())
        today = datetime.date.today()
        self.exe("--demo", "history", "--from", (today - datetime.timedelta(days=1)).strftime(
            "%y-%m-%d"), "--to", today.strftime("%y-%m-%d"), "--out", "demo", port=False)
        book, table = exported(self.dir / "demo")
        self.assertGreater(len(book), 0)
        self.assertGreater(table.count(b"\n"), 1)


class PulledLine(ExeCase):
    """The line pulled out during a transfer, from a logger of its own paced so that the
    transfer lasts long enough to be cut."""

    def test_history_ends_with_status_3_and_one_line(self):
        trace = self.dir / "trace"
        cut = wine_line.Logger(SETUP, CUT_LINK, "--baud=9600", "--records=3000",
                               "--log-interval=1", "--history-end=2026-11-20 12:00",
                               trace=trace)
        self.addCleanup(cut.stop)
        process = wine_line.start_exe(
            SETUP, ["--port", CUT_PORT, "history", *RANGE, "--out", "cut"], self.dir)
        # Records flowing: the login, the query, then a reply per record.
        flowing = wine_line.wait_for(
            lambda: trace.exists() and trace.read_text().count("\n") > 40, timeout=60)
        cut.pull()
        try:
            _, err = process.communicate(timeout=30)
        except subprocess.TimeoutExpired:
            process.kill()
            process.communicate()
            self.fail("lgcset-cli.exe still runs 30 s after the line was pulled")
        self.assertTrue(flowing, "no history records crossed the line")
        lines = [line for line in wine_line.own_lines(err) if line != NO_RECORD_KEPT]
        self.assertEqual(process.returncode, 3, lines)
        self.assertEqual(len(lines), 1, lines)
        self.assertRegex(lines[0], rf"line to the logger on {CUT_PORT} was lost")
        self.assertEqual(list((self.dir / "cut").glob("SAVE*")), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
